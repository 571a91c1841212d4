#include "app/Controls.h"

#include <algorithm>
#include <cstring>

namespace velmora {
namespace {

constexpr ControlRow kControls[] = {
    {"F1", "show / hide this help"},
    {"F2", "show / hide the panel: buttons, scenes, physics, timeline"},
    {"W / S, D / A", "thrust forward / back, right / left (the camera glides to rest)"},
    {"Space / Ctrl", "thrust up / down"},
    {"Shift (held)", "three times the thrust, five times the drag speed"},
    {"mouse wheel", "halve / double the camera's thrust, from 1/16 to 1"},
    {"E (held) + mouse", "look around"},
    {"Tab / Home", "run / pause the simulation / put the camera back where it started"},
    {"N, paused", "one step of 1/60 s"},
    {"R", "back to the scene last loaded, camera and run state too"},
    {"Z / Y", "undo / redo the last edit (Ctrl + Z / Y too)"},
    {"Left / Right, paused", "a pass back / forward through the run's past; with Shift, a second"},
    {"F5", "save the scene as a new .json in the save folder"},
    {"F12 / F9", "a screenshot / start or stop a video, into the save folder"},
    {"Q / C / F3", "wireframe / links coloured by strain / energy plot, on / off"},
    {"Alt + Enter", "windowed / full screen"},
    {"F / Escape", "frame rate and time in the title / quit"},
    {"middle button",
     "delete the particle under the cursor, or add one where the sight line meets z = 0"},
    {"right button, paused",
     "select; another links / unlinks the two, the same again pins / unpins"},
    {"left button", "drag the particle under the cursor"},
};

constexpr OptionRow kOptions[] = {
    {"--frames N", "quit after N passes and print a one-line run report"},
    {"--frame-time SECONDS", "make every pass's frame time exactly SECONDS (0 to 60)"},
    {"--scene SCENE",
     "start with SCENE: start (the default), lattice:AxBxC, rope:N, sheet:WxH or a .json file"},
    {"--save-scene FILE.json", "save the final state as a scene file when the run ends"},
    {"--paused", "start with the simulation paused"},
    {"--screenshot FILE.png", "write the last frame drawn to FILE.png"},
    {"--headless", "no window, scripted input; 300 passes unless --frames"},
    {"--record FILE", "record the session into FILE as it runs (JSON lines)"},
    {"--replay FILE",
     "replay a recording headless (--window: in a window); exit 5 if it ends elsewhere"},
    {"--video FILE", "every pass drawn into FILE: .mp4 (H.264), .webm (VP9) or NAME%04d.png"},
    {"--no-overlay", "draw no overlay, for clean pictures"},
    {"--size WxH", "picture size (800x600)"},
    {"--save-folder DIR", "where F5 saves"},
    {"--history-mb N", "memory for undo and the timeline, MB (64; 1 to 4096)"},
    {"--help / --version", "show this text / the version"},
};

/// Rows of two columns, the left one padded to the widest entry.
template <class Row, class Left, class Right>
void appendTable(std::string& out, std::span<const Row> rows, Left Row::*left, Right Row::*right) {
    std::size_t width = 0;
    for (const Row& row : rows) {
        width = std::max(width, std::strlen(row.*left));
    }
    for (const Row& row : rows) {
        const std::string l = row.*left;
        out += "  " + l + std::string(width - l.size() + 2, ' ') + row.*right + "\n";
    }
}

}  // namespace

std::span<const ControlRow> controlsTable() {
    return kControls;
}

std::span<const OptionRow> optionsTable() {
    return kOptions;
}

std::vector<HelpRow> helpRows() {
    std::vector<HelpRow> rows{{"Controls", nullptr}};
    for (const ControlRow& row : controlsTable())
        rows.push_back({row.input, row.effect});
    rows.push_back({"Options", nullptr});
    for (const OptionRow& row : optionsTable())
        rows.push_back({row.form, row.effect});
    return rows;
}

std::string usageText() {
    std::string out = "usage: velmora [options]\n";
    appendTable(out, optionsTable(), &OptionRow::form, &OptionRow::effect);
    out +=
        "The run report: passes, particles, links; stretch, the largest link length over its\n"
        "rest length; speed, the fastest particle (units/s); hash, of every particle's state;\n"
        "mean_ms, physics_ms, draw_ms, wall-clock milliseconds per pass; kinetic, the kinetic\n"
        "energy; energy, kinetic plus gravitational (from the floor) plus elastic.\n";
    out += "Controls:\n";
    appendTable(out, controlsTable(), &ControlRow::input, &ControlRow::effect);
    out +=
        "The pictures and the effect are read from bin/ in the working folder, else beside\n"
        "the program, else from the installed data folder.\n";
    return out;
}

}  // namespace velmora
