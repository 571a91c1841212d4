#include "ProgramUnderTest.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

namespace velmora::test {

ProgramUnderTest::ProgramUnderTest(const std::string& binary, const std::string& workingDirectory,
                                   const std::vector<std::string>& args) {
    char name[] = "/tmp/velmora-e2e-stderr-XXXXXX";
    const int fd = mkstemp(name);
    stderrFile = name;
    pid = fork();
    if (pid == 0) {
        dup2(fd, 2);
        if (chdir(workingDirectory.c_str()) != 0) {
            _exit(127);
        }
        std::vector<char*> argv;
        argv.push_back(const_cast<char*>(binary.c_str()));
        for (const auto& a : args) {
            argv.push_back(const_cast<char*>(a.c_str()));
        }
        argv.push_back(nullptr);
        execv(binary.c_str(), argv.data());
        _exit(127);
    }
    close(fd);
}

ProgramUnderTest::~ProgramUnderTest() {
    if (pid > 0 && !exitCode) {
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
    }
    std::remove(stderrFile.c_str());
}

std::optional<int> ProgramUnderTest::waitForExit(double seconds) {
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (!exitCode && std::chrono::steady_clock::now() < deadline) {
        int status = 0;
        if (waitpid(pid, &status, WNOHANG) == pid) {
            exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            break;
        }
        sleepSeconds(0.05);
    }
    return exitCode;
}

unsigned long ProgramUnderTest::waitForWindow(double seconds) {
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (std::chrono::steady_clock::now() < deadline) {
        const std::string out = shellOutput("xdotool search --name '^Velmora$' 2>/dev/null");
        if (!out.empty()) {
            return std::strtoul(out.c_str(), nullptr, 10);
        }
        if (waitForExit(0.0)) {
            return 0;
        }
        sleepSeconds(0.1);
    }
    return 0;
}

std::string ProgramUnderTest::standardError() const {
    std::ifstream in(stderrFile);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

bool shell(const std::string& command) { return std::system(command.c_str()) == 0; }

std::string shellOutput(const std::string& command) {
    std::string out;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[256];
        while (std::fgets(buffer, sizeof buffer, pipe)) {
            out += buffer;
        }
        pclose(pipe);
    }
    return out;
}

void sleepSeconds(double seconds) {
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
}

}  // namespace velmora::test
