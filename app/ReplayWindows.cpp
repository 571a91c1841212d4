#include "app/ReplayWindows.h"

#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <system_error>

extern char** environ;

namespace velmora {

bool ReplayWindows::start(const std::string& recording, std::string& error) {
    reap();
    std::error_code unknown;
    const std::string program = std::filesystem::read_symlink("/proc/self/exe", unknown).string();
    if (unknown) {
        error = "cannot find the program to replay it with";
        return false;
    }
    std::string replay = "--replay", window = "--window";
    std::string file = recording;
    char* argv[] = {const_cast<char*>(program.c_str()), replay.data(), file.data(), window.data(),
                    nullptr};
    pid_t child = 0;
    if (const int failed = posix_spawn(&child, program.c_str(), nullptr, nullptr, argv, environ)) {
        error = std::string("cannot start the replay: ") + std::strerror(failed);
        return false;
    }
    running_.push_back(child);
    return true;
}

void ReplayWindows::reap() {
    std::erase_if(running_, [](pid_t child) {
        int status = 0;
        return waitpid(child, &status, WNOHANG) != 0;
    });
}

}  // namespace velmora
