// Saving replaces a file in one step: a save that fails, however far it got, leaves the old
// file byte for byte and no temporary file behind.
#include <gtest/gtest.h>

#include <unistd.h>
#include <cmath>

#include <cerrno>
#include <filesystem>

#include "platform/AtomicFile.h"
#include "scenes/BuiltInScenes.h"
#include "scenes/SceneFile.h"
#include "tests/render/PictureFiles.h"

namespace velmora {
namespace {

std::size_t filesIn(const std::string& folder) {
    const std::filesystem::directory_iterator all(folder);
    return static_cast<std::size_t>(std::distance(begin(all), end(all)));
}

/// Writes the first half, then fails as a full disk does.
bool writeHalfThenFail(int fd, const void* data, std::size_t size) {
    writeAllBytes(fd, data, size / 2);
    errno = ENOSPC;
    return false;
}

TEST(SceneSave, AFailedSaveLeavesTheOldFileByteForByte) {
    testing::TempFolder dir;
    const std::string path = dir.path("scene.json");
    std::string error;
    ASSERT_TRUE(writeSceneFile(path, startScene(), error)) << error;
    const std::string old = testing::readText(path);

    const SceneDescription other = latticeScene(3, 3, 3);
    EXPECT_FALSE(replaceFile(path, sceneText(other), error, writeHalfThenFail));
    EXPECT_NE(error.find("No space left"), std::string::npos) << error;
    EXPECT_EQ(testing::readText(path), old);
    EXPECT_EQ(filesIn(dir.path("")), 1u);  // the half-written temporary file is gone

    // A scene the reader would refuse is not written at all.
    SceneDescription notFinite = startScene();
    notFinite.links[3].restLength = INFINITY;
    EXPECT_FALSE(writeSceneFile(path, notFinite, error));
    EXPECT_NE(error.find("link 3: rest length"), std::string::npos) << error;

    // Nowhere to write: a folder at the name, a missing folder, a file taken for a folder.
    for (const std::string& bad :
         {dir.path(""), dir.path("missing/scene.json"), dir.path("scene.json/inside.json")}) {
        EXPECT_FALSE(canReplaceFile(bad, error)) << bad;
        EXPECT_FALSE(writeSceneFile(bad, other, error)) << bad;
        EXPECT_FALSE(error.empty());
    }
    EXPECT_EQ(testing::readText(path), old);
    EXPECT_EQ(filesIn(dir.path("")), 1u);
    EXPECT_TRUE(canReplaceFile(path, error));

    // And a save that succeeds replaces the file whole.
    ASSERT_TRUE(writeSceneFile(path, other, error)) << error;
    EXPECT_EQ(testing::readText(path), sceneText(other));
    EXPECT_EQ(filesIn(dir.path("")), 1u);
}

}  // namespace
}  // namespace velmora
