#pragma once
// Runs the built program from the build folder (where bin/ is) and collects what it says.
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

namespace velmora::testing {

struct Outcome {
    int exitCode = -1;
    std::string out;  ///< standard output
    std::string err;  ///< standard error
};

inline Outcome runVelmora(const std::string& arguments) {
    static int serial = 0;
    const std::string errFile =
        "/tmp/velmora-stderr-" + std::to_string(getpid()) + "-" + std::to_string(serial++);
    const std::string command =
        std::string("cd ") + VELMORA_BUILD_DIR + " && ./velmora " + arguments + " 2>" + errFile;
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
    std::stringstream err;
    err << std::ifstream(errFile).rdbuf();
    outcome.err = err.str();
    std::remove(errFile.c_str());
    return outcome;
}

}  // namespace velmora::testing
