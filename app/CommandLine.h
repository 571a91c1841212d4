#pragma once
#include <optional>
#include <string>
#include <vector>

namespace velmora {

/// Optional flags for tests, documentation and benchmarks. With none the program is the
/// interactive one.
struct CommandLine {
    std::optional<long> frames;  ///< post the quit message after this many passes
    std::string screenshot;      ///< write the last frame drawn here as PNG
    bool headless = false;       ///< scripted operating system and recording device
    bool help = false;
    bool version = false;
};

/// Parses the arguments after the program name. On a bad argument returns nothing and puts
/// one line saying what was wrong into error.
std::optional<CommandLine> parseCommandLine(const std::vector<std::string>& args,
                                            std::string& error);

/// The usage text printed by --help and after a bad argument.
std::string usageText();

}  // namespace velmora
