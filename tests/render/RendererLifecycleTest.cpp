// The renderer's start-up and effect loading on the recording device: which failures show a
// box and which do not, and that every operation is safe before init, without an effect and
// after shutdown.
#include <gtest/gtest.h>

#include "platform/RecordingDevice.h"
#include "tests/render/RendererTestSupport.h"

namespace velmora::test {
namespace {

class RendererLifecycle : public ::testing::Test {
  protected:
    void SetUp() override {
        resetRendererToConstructedState();
        window = open800x600(os);
        gRenderer->usePlatform(os, recordingDirect3DCreate);
    }
    void TearDown() override {
        effect.reset();
        resetRendererToConstructedState();
    }
    RecordingDevice& device() { return static_cast<RecordingDevice&>(*gRenderer->device); }

    ScriptedOperatingSystem os;
    WindowHandle window = nullptr;
    std::unique_ptr<Effect> effect;
};

TEST_F(RendererLifecycle, InitFailsWithoutDirect3DOrDeviceAndShowsNothing) {
    gRenderer->usePlatform(os, [](OperatingSystem&) { return std::unique_ptr<Direct3D>(); });
    EXPECT_FALSE(gRenderer->init(window, false, true));
    EXPECT_EQ(gRenderer->direct3d, nullptr);

    gRenderer->usePlatform(os, [](OperatingSystem& o) -> std::unique_ptr<Direct3D> {
        auto direct3d = std::make_unique<RecordingDirect3D>(o);
        direct3d->faults().failOn(RecordingCall::CreateDevice, 1);
        return direct3d;
    });
    EXPECT_FALSE(gRenderer->init(window, false, true));
    EXPECT_NE(gRenderer->direct3d, nullptr);  // the Direct3D object stays
    EXPECT_EQ(gRenderer->device, nullptr);
    EXPECT_TRUE(os.messageBoxes.empty());
}

TEST_F(RendererLifecycle, EffectFailuresShowTheCompilerTextOnlyWhenThereIsSome) {
    ASSERT_TRUE(gRenderer->init(window, false, true));
    EXPECT_FALSE(gRenderer->loadEffect("no/such/file.fx", effect));
    EXPECT_TRUE(os.messageBoxes.empty());

    const std::string other = writeTempFile(
        "other.fx",
        "@technique Other\n@pass P\n@vertex\nv\n@end\n@fragment\nf\n@end\n@end\n@end\n");
    EXPECT_FALSE(gRenderer->loadEffect(other.c_str(), effect));
    ASSERT_EQ(os.messageBoxes.size(), 1u);
    EXPECT_EQ(os.messageBoxes[0].caption, "FX File Load Error");
    EXPECT_NE(os.messageBoxes[0].text.find("no technique \"MyEffect\""), std::string::npos);

    const std::string open = writeTempFile("open.fx", "@technique MyEffect\n@pass P\n@vertex\n");
    EXPECT_FALSE(gRenderer->loadEffect(open.c_str(), effect));
    ASSERT_EQ(os.messageBoxes.size(), 2u);
    EXPECT_NE(os.messageBoxes[1].text.find("line 3: @vertex is never closed"), std::string::npos);

    device().faults().failEffectLoad(1, "");
    EXPECT_FALSE(gRenderer->loadEffect(sourcePath("assets/min.fx").c_str(), effect));
    EXPECT_EQ(os.messageBoxes.size(), 2u);
    device().faults().failEffectLoad(1, "error X3000: syntax");
    EXPECT_FALSE(gRenderer->loadEffect(sourcePath("assets/min.fx").c_str(), effect));
    ASSERT_EQ(os.messageBoxes.size(), 3u);
    EXPECT_EQ(os.messageBoxes[2].text, "error X3000: syntax");
    EXPECT_TRUE(gRenderer->loadEffect(sourcePath("assets/min.fx").c_str(), effect));
    EXPECT_NE(effect, nullptr);
}

TEST_F(RendererLifecycle, OperationsAreSafeBeforeInitWithoutEffectAndAfterShutdown) {
    D3DGeometryBuffer geometry;
    GeometryData data(3);
    const std::uint32_t indices[3] = {0, 1, 2};
    auto everything = [&] {
        gRenderer->setProjection(60.0f, 1.0f, 100.0f, 4.0f / 3.0f);
        gRenderer->setView({0, 0, 10}, {0, 0, 0});
        gRenderer->setWorld(translation({1, 2, 3}));
        gRenderer->beginScene();
        gRenderer->clear(0xFF000000, 1.0f);
        gRenderer->clearDepth(1.0f);
        gRenderer->setTexture(3, nullptr);
        gRenderer->setBlending(true);
        gRenderer->drawGeometry(&geometry, Triangles);
        gRenderer->toggleWireframe();
        gRenderer->endSceneAndPresent();
        EXPECT_TRUE(gRenderer->reset(window, false, true));
        EXPECT_FALSE(gRenderer->loadEffect(sourcePath("assets/min.fx").c_str(), effect));
    };
    everything();  // before init
    EXPECT_EQ(gRenderer->world, translation({1, 2, 3}));
    EXPECT_EQ(gRenderer->projection, perspectiveFov(60.0f, 1.0f, 100.0f, 4.0f / 3.0f));
    EXPECT_EQ(gRenderer->view, lookAt({0, 0, 10}, {0, 0, 0}));

    ASSERT_TRUE(gRenderer->init(window, false, true));
    geometry.create(data.positions.data(), data.colors.data(), data.texCoords.data(), nullptr,
                    nullptr, nullptr, indices, 3, 3, nullptr, nullptr, nullptr);
    gRenderer->setBlending(true);
    gRenderer->setTexture(0, nullptr);  // no effect set yet
    gRenderer->drawGeometry(&geometry, Triangles);
    EXPECT_TRUE(device().draws.empty());
    EXPECT_EQ(device().state.renderState(D3DRS_ALPHABLENDENABLE), 0u);

    gRenderer->shutdown();
    EXPECT_EQ(gRenderer->device, nullptr);
    EXPECT_EQ(gRenderer->direct3d, nullptr);
    everything();  // after shutdown
}

}  // namespace
}  // namespace velmora::test
