#include <gtest/gtest.h>

#include "render/TextureManager.h"
#include "tests/render/RecordingRenderer.h"

namespace velmora {
namespace {

using testing::BmpSpec;
using testing::Bytes;
using testing::channel;

using TextureManagerTest = testing::RecordingRenderer;
using testing::texels;

Bytes bmp(int width, int height, std::uint16_t bits) {
    return testing::bmpFile(testing::bmpPicture(width, height, bits));
}

TEST_F(TextureManagerTest, OneTexturePerExactNameWithTheMipsOfItsFirstLoad) {
    const std::string name = dir.write("orange.bmp", bmp(4, 4, 24));
    Texture* first = gTextureManager->load(name.c_str(), false);
    EXPECT_EQ(gTextureManager->load(name.c_str(), true), first);
    EXPECT_EQ(gTextureManager->entries.size(), 1u);
    EXPECT_EQ(first->nativeTexture()->levelCount(), 1u);  // not 3: the first load had none

    // Other letter case and a doubled slash name the file differently.
    const std::string doubled = dir.path("/orange.bmp");
    const std::string upper = dir.path("ORANGE.bmp");
    EXPECT_NE(gTextureManager->load(doubled.c_str(), false), first);
    EXPECT_NE(gTextureManager->load(upper.c_str(), false), first);
    ASSERT_EQ(gTextureManager->entries.size(), 3u);
    EXPECT_EQ(gTextureManager->entries[1].fileName, doubled);
}

TEST_F(TextureManagerTest, AMissingFileIsOneOpaqueWhiteTexelCachedUnderItsName) {
    const std::string name = dir.path("later.bmp");
    Texture* white = gTextureManager->load(name.c_str(), true);
    const ManagedTexels& store = texels(white);
    ASSERT_EQ(store.levels.size(), 1u);
    EXPECT_EQ(store.format, D3DFMT_A8R8G8B8);
    EXPECT_EQ(store.levels[0].texels, (Bytes{0xFF, 0xFF, 0xFF, 0xFF}));

    // The file appearing afterwards changes nothing: the disk is not read again.
    dir.write("later.bmp", bmp(2, 2, 24));
    EXPECT_EQ(gTextureManager->load(name.c_str(), true), white);
    EXPECT_EQ(texels(white).levels[0].texels, (Bytes{0xFF, 0xFF, 0xFF, 0xFF}));
}

TEST_F(TextureManagerTest, PixelBytesLandInTheirTexels) {
    // Width 6: the 24-bit rows are stored padded to 20 bytes, the 3 x 1 level packed.
    for (const auto& [bits, format] : {std::pair{24, D3DFMT_R8G8B8}, {32, D3DFMT_A8R8G8B8}}) {
        SCOPED_TRACE(bits);
        const std::string name = dir.write("p" + std::to_string(bits) + ".bmp", bmp(6, 2, bits));
        const ManagedTexels& store = texels(gTextureManager->load(name.c_str(), true));
        ASSERT_EQ(store.format, format);
        ASSERT_EQ(store.levels.size(), 2u);
        const int b = bits / 8;
        for (int level = 0; level < 2; ++level) {
            const int w = 6 >> level;
            for (int i = 0; i < w * (2 >> level) * b; ++i) {
                const int pixel = i / b;
                ASSERT_EQ(store.levels[level].texels[pixel * 4 + i % b],
                          channel((pixel % w) << level, (pixel / w) << level, i % b))
                    << "level " << level << " byte " << i;
            }
        }
    }
}

TEST_F(TextureManagerTest, APictureTheDeviceCannotHoldShowsWhiteAndNullIsNeverLocked) {
    // Too large for the device's textures, or refused once: the white picture instead.
    const std::string huge = dir.write("huge.bmp", bmp(16384, 1, 32));
    const std::string name = dir.write("p.bmp", bmp(2, 2, 24));
    device().faults().failOn(RecordingCall::CreateTexture, 1);
    for (const std::string& file : {name, huge}) {
        const ManagedTexels& store = texels(gTextureManager->load(file.c_str(), false));
        ASSERT_EQ(store.levels.size(), 1u) << file;
        EXPECT_EQ(store.levels[0].texels, (Bytes{0xFF, 0xFF, 0xFF, 0xFF})) << file;
    }
    // Refused for its size and the white picture refused too, or no device at all: no
    // texture, never locked.
    gTextureManager->clear();
    device().faults().failOn(RecordingCall::CreateTexture, 2);
    EXPECT_EQ(gTextureManager->load(huge.c_str(), false)->nativeTexture(), nullptr);
    gTextureManager->clear();
    resetRendererToConstructedState();
    EXPECT_EQ(gTextureManager->load(name.c_str(), false)->nativeTexture(), nullptr);
}

}  // namespace
}  // namespace velmora
