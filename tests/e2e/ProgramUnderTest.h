#pragma once
// Starts the built program as a child process in a chosen folder and talks to its window
// through xdotool, on the display the test runs on.
#include <sys/types.h>

#include <optional>
#include <string>
#include <vector>

namespace velmora::test {

class ProgramUnderTest {
public:
    /// Starts the binary in workingDirectory with the arguments; stderr goes to a file.
    ProgramUnderTest(const std::string& binary, const std::string& workingDirectory,
                     const std::vector<std::string>& args = {});
    ~ProgramUnderTest();

    /// The exit code once the program has ended within the time, or nothing.
    std::optional<int> waitForExit(double seconds);
    /// Waits for the window titled exactly "Velmora"; its X id, or 0.
    unsigned long waitForWindow(double seconds);
    std::string standardError() const;

private:
    pid_t pid = -1;
    std::string stderrFile;
    std::optional<int> exitCode;
};

/// Runs a shell command (xdotool ...); true when it exits 0.
bool shell(const std::string& command);
/// Runs a shell command and returns its standard output.
std::string shellOutput(const std::string& command);
void sleepSeconds(double seconds);

}  // namespace velmora::test
