#pragma once
// Runs the built program and collects what it says.
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <regex>
#include <string>

#include "tests/render/PictureFiles.h"

namespace velmora::testing {

struct Outcome {
    int exitCode = -1;
    std::string out;  ///< standard output
    std::string err;  ///< standard error
};

/// Runs `prefix program arguments` in the folder, by default the build folder where bin/ is;
/// the program is the built velmora unless given.
inline Outcome runVelmora(const std::string& arguments,
                          const std::string& folder = VELMORA_BUILD_DIR,
                          const std::string& prefix = "",
                          const std::string& program = VELMORA_BUILD_DIR "/velmora") {
    static int serial = 0;
    const std::string errFile =
        "/tmp/velmora-stderr-" + std::to_string(getpid()) + "-" + std::to_string(serial++);
    const std::string command =
        "cd " + folder + " && " + prefix + " " + program + " " + arguments + " 2>" + errFile;
    Outcome outcome;
    std::FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return outcome;
    }
    char buffer[4096];
    while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) {
        outcome.out += buffer;
    }
    const int status = pclose(pipe);
    outcome.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    outcome.err = readText(errFile);
    std::remove(errFile.c_str());
    return outcome;
}

/// A field of the run report ("hash", "particles", ...), empty when the output has none.
inline std::string reportField(const std::string& out, const std::string& name) {
    std::smatch m;
    return std::regex_search(out, m, std::regex(" " + name + "=([^ \n]+)")) ? m[1].str() : "";
}

}  // namespace velmora::testing
