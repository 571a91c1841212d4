// Where F5 saves: never into a build or source tree, and the documents folder as the desktop
// names it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include "app/SaveFolder.h"
#include "tests/render/PictureFiles.h"

namespace velmora {
namespace {

/// Sets the variable for the test and puts back what it was.
class EnvironmentVariable {
  public:
    EnvironmentVariable(const char* name, const char* value) : name_(name) {
        if (const char* was = std::getenv(name)) {
            was_ = was;
        }
        value != nullptr ? setenv(name, value, 1) : unsetenv(name);
    }
    ~EnvironmentVariable() { was_ ? setenv(name_, was_->c_str(), 1) : unsetenv(name_); }

  private:
    const char* name_;
    std::optional<std::string> was_;
};

TEST(SaveFolder, TheWorkingFolderUnlessItIsABuildOrSourceTreeThenTheDocumentsFolder) {
    velmora::testing::TempFolder dir;
    std::filesystem::create_directories(dir.path("home/config"));
    std::filesystem::create_directories(dir.path("build/tests/app"));
    dir.write("build/CMakeCache.txt", std::string());
    const EnvironmentVariable home("HOME", dir.path("home").c_str());
    const EnvironmentVariable config("XDG_CONFIG_HOME", dir.path("home/config").c_str());
    const EnvironmentVariable unset("XDG_DOCUMENTS_DIR", nullptr);

    EXPECT_EQ(chooseSaveFolder(dir.path("")), dir.path(""));
    // No user-dirs.dirs: the home folder's Velmora.
    EXPECT_EQ(chooseSaveFolder(dir.path("build")), dir.path("home/Velmora"));
    // The desktop's own name for the documents folder, in or outside the home folder.
    dir.write("home/config/user-dirs.dirs", std::string("# comment\nXDG_DESKTOP_DIR=\"$HOME/"
                                                        "Desktop\"\nXDG_DOCUMENTS_DIR=\"$HOME/"
                                                        "Dokumente\"\n"));
    EXPECT_EQ(chooseSaveFolder(dir.path("build/tests/app")), dir.path("home/Dokumente/Velmora"));
    dir.write("home/config/user-dirs.dirs", std::string("XDG_DOCUMENTS_DIR=\"/srv/docs\"\n"));
    EXPECT_EQ(chooseSaveFolder(VELMORA_SOURCE_DIR "/app"), "/srv/docs/Velmora");
    const EnvironmentVariable documents("XDG_DOCUMENTS_DIR", dir.path("papers").c_str());
    EXPECT_EQ(chooseSaveFolder(VELMORA_BUILD_DIR), dir.path("papers/Velmora"));
}

}  // namespace
}  // namespace velmora
