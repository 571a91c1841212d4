// Replacing files: a process killed in the middle of a save leaves the old file and nothing
// else, and only a regular file is ever replaced.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>

#include "platform/AtomicFile.h"
#include "tests/render/PictureFiles.h"

namespace velmora {
namespace {

std::vector<std::string> namesIn(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

/// A process that has ended, whose number nothing holds now.
pid_t finishedProcess() {
    const pid_t child = fork();
    if (child == 0) {
        _exit(0);
    }
    waitpid(child, nullptr, 0);
    return child;
}

TEST(AtomicFile, AProcessKilledWhileSavingLeavesTheOldFileAndNothingElse) {
    testing::TempFolder dir;
    const std::string path = dir.path("scene.json");
    std::string error;
    ASSERT_TRUE(replaceFile(path, "old", error)) << error;

    // Killed half way through writing, as kill -9 does it.
    const pid_t child = fork();
    if (child == 0) {
        replaceFile(path, std::string(1 << 20, 'x'), error,
                    [](int fd, const void* data, std::size_t size) {
                        writeAllBytes(fd, data, size / 2);
                        raise(SIGKILL);
                        return false;
                    });
        _exit(0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(testing::readText(path), "old");
    EXPECT_EQ(namesIn(dir.path("")), std::vector<std::string>{"scene.json"});

    // Killed between naming and renaming: the name carries the process, and the next save of
    // the same file removes it once that process is gone, and only then.
    const std::string gone = path + ".tmp-" + std::to_string(finishedProcess()) + "-0";
    const std::string alive = path + ".tmp-" + std::to_string(getppid()) + "-0";
    dir.write(gone.substr(gone.rfind('/') + 1), std::string("half"));
    dir.write(alive.substr(alive.rfind('/') + 1), std::string("half"));
    ASSERT_TRUE(replaceFile(path, "new", error)) << error;
    EXPECT_EQ(testing::readText(path), "new");
    EXPECT_FALSE(std::filesystem::exists(gone));
    EXPECT_TRUE(std::filesystem::exists(alive));
}

TEST(AtomicFile, OnlyARegularFileOrNothingIsReplaced) {
    // A pipe, a socket and a link stand for every target that is not a regular file (a device
    // node is one too; a test had better not risk the machine's own).
    testing::TempFolder dir;
    const std::string pipe = dir.path("pipe.json");
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    const std::string socketPath = dir.path("socket.json");
    const int listening = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    ASSERT_LT(socketPath.size(), sizeof address.sun_path);
    std::memcpy(address.sun_path, socketPath.c_str(), socketPath.size());
    ASSERT_EQ(bind(listening, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    close(listening);
    const std::string target = dir.write("target.json", std::string("kept"));
    const std::string link = dir.path("link.json");
    std::filesystem::create_symlink(target, link);
    std::string error;
    for (const std::string& refused : {pipe, socketPath, link, dir.path("")}) {
        EXPECT_FALSE(canReplaceFile(refused, error)) << refused;
        EXPECT_FALSE(replaceFile(refused, "new", error)) << refused;
        EXPECT_FALSE(error.empty()) << refused;
    }
    struct stat status {};
    ASSERT_EQ(lstat(pipe.c_str(), &status), 0);
    EXPECT_TRUE(S_ISFIFO(status.st_mode));
    EXPECT_EQ(testing::readText(target), "kept");
    EXPECT_TRUE(canReplaceFile(dir.path("new.json"), error)) << error;
    EXPECT_EQ(namesIn(dir.path("")),
              (std::vector<std::string>{"link.json", "pipe.json", "socket.json", "target.json"}));
}

}  // namespace
}  // namespace velmora
