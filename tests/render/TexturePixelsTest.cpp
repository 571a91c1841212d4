// Under Xvfb with the OpenGL device and the program's effect: a generated picture drawn on a
// quad keeps its colours and comes out the right way up.
#include <gtest/gtest.h>

#include "platform/GlDevice.h"
#include "platform/SdlOperatingSystem.h"
#include "render/Image.h"
#include "render/Mesh.h"
#include "render/TextureManager.h"
#include "tests/render/PictureFiles.h"
#include "tools/Pictures.h"

namespace velmora {
namespace {

TEST(TexturePixels, TheOrangeBallIsLitFromTheUpperLeftOnScreen) {
    testing::TempFolder dir;
    ASSERT_TRUE(pictures::writeScenePictures(dir.path("")));
    for (const auto& named : pictures::kScenePictures) {
        EXPECT_EQ(Image(dir.path(named.fileName).c_str()).bitsPerPixel, 24) << named.fileName;
    }

    SdlOperatingSystem os;
    ASSERT_TRUE(os.videoReady());
    WindowClass windowClass;
    windowClass.windowProc = [](WindowHandle, std::uint32_t, std::uintptr_t,
                                std::intptr_t) -> std::intptr_t { return 0; };
    windowClass.instance = &os;
    windowClass.className = "renderer";
    os.registerClass(windowClass);
    WindowHandle window = os.createWindow("renderer", "Velmora", 0, 0, 0, 800, 600);
    os.showWindow(window, SW_SHOWNORMAL);
    resetRendererToConstructedState();  // identity matrices: a 2 x 2 quad fills the screen
    gRenderer->usePlatform(os, glDirect3DCreate);
    ASSERT_TRUE(gRenderer->init(window, false, false));
    std::unique_ptr<Effect> effect;
    ASSERT_TRUE(gRenderer->loadEffect(VELMORA_EFFECT_FILE, effect));

    Mesh quad;
    quad.createQuad(2, 2, PlaneXY, 0xFFFFFFFFu);
    quad.loadTexture(dir.path("orange.bmp").c_str(), true, 0);
    gRenderer->beginScene();
    gRenderer->clear(0xFF000000u, 1.0f);
    gRenderer->setEffect(effect.get());
    quad.draw();
    gRenderer->endSceneAndPresent();
    std::vector<std::uint32_t> pixels;
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    ASSERT_EQ(gRenderer->device->getFrontBufferData(pixels, width, height), D3D_OK);
    ASSERT_EQ(pixels.size(), 800u * 600u);

    // Channel c (16 red, 8 green, 0 blue) at a point given in fractions of the screen.
    auto at = [&](double x, double y, int c) {
        return (pixels[static_cast<int>(y * 600) * 800 + static_cast<int>(x * 800)] >> c) & 0xFF;
    };
    EXPECT_GT(at(0.5, 0.5, 16), 180u);
    EXPECT_GT(at(0.5, 0.5, 16), at(0.5, 0.5, 8) + 60);
    EXPECT_GT(at(0.5, 0.5, 8), at(0.5, 0.5, 0) + 40);
    // The highlight sits up and to the left: mirrored either way it would be darker there.
    EXPECT_GT(at(0.35, 0.3, 8), at(0.35, 0.7, 8) + 40);
    EXPECT_GT(at(0.35, 0.3, 8), at(0.65, 0.3, 8) + 30);

    gTextureManager->clear();
    quad.geometry.reset();
    effect.reset();
    resetRendererToConstructedState();
}

}  // namespace
}  // namespace velmora
