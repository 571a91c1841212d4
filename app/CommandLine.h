#pragma once
#include <optional>
#include <string>
#include <vector>

#include "scenes/SceneDescription.h"
#include "session/SessionFormat.h"

namespace velmora {

class Application;

/// Optional flags for tests, documentation and benchmarks. With none the program is the
/// interactive one. The forms and their help texts are in optionsTable().
struct CommandLine {
    std::optional<long> frames;           ///< post the quit message after this many passes
    std::optional<float> frameTime;       ///< every pass's dt, seconds
    std::string screenshot;               ///< write the last frame drawn here as PNG
    std::string scene = "start";          ///< a built-in scene's name or a scene file
    std::string saveScene;                ///< save the final state here as a scene file
    bool paused = false;                  ///< start with the simulation paused
    std::string record;                   ///< write a session recording here
    std::string replay;                   ///< replay this session recording
    bool window = false;                  ///< show a replay in a window instead of headless
    bool headless = false;                ///< scripted operating system and headless device
    int width = 800, height = 600;        ///< the client area, pixels
    bool sizeGiven = false;               ///< --size was given
    std::string saveFolder;               ///< where F5 saves; empty: chosen by chooseSaveFolder
    std::optional<int> historyMegabytes;  ///< memory for undo and the timeline
    std::string video;                    ///< write every pass drawn here as a video
    bool overlay = true;                  ///< draw the overlay (it is laid out either way)
    bool help = false;
    bool version = false;
};

/// Parses the arguments after the program name. On a bad or repeated argument, or an output
/// that would replace an input, returns nothing and puts one line saying what was wrong into
/// error.
std::optional<CommandLine> parseCommandLine(const std::vector<std::string>& args,
                                            std::string& error);

/// Makes the application start as the options ask: scene, frame time, run state and history
/// budget (the window's size is the caller's). The desktop's run and the web page share it.
void startAsAsked(Application& app, const CommandLine& options, SceneDescription scene);

}  // namespace velmora
