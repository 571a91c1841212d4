#pragma once
// The real loop on the scripted operating system and the recording device, run from the
// build folder so bin/min.fx and the pictures are found as the program finds them.
#include <gtest/gtest.h>
#include <unistd.h>

#include <memory>

#include "app/Application.h"
#include "app/Window.h"
#include "physics/Particle.h"
#include "platform/RecordingDevice.h"
#include "platform/ScriptedOperatingSystem.h"
#include "platform/VirtualKeys.h"
#include "render/D3DRenderer.h"
#include "render/TextureManager.h"

namespace velmora::test {

class ApplicationTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(chdir(VELMORA_BUILD_DIR), 0);
        resetRendererToConstructedState();
        resetWindowState();
        gTextureManager->clear();
    }
    void TearDown() override {
        app.reset();
        resetRendererToConstructedState();
        resetWindowState();
        gTextureManager->clear();
    }

    /// Starts the application; the clock then advances by dtSeconds per pass.
    void start(float dtSeconds = 0.01f, Direct3DCreateFn create = recordingDirect3DCreate) {
        app = std::make_unique<Application>(os, create);
        const auto failed = app->startUp(SW_SHOWNORMAL);
        ASSERT_FALSE(failed.has_value()) << app->failure;
        setDt(dtSeconds);
    }
    void setDt(float dtSeconds) {
        os.counterStep = static_cast<std::int64_t>(dtSeconds * static_cast<float>(os.frequency));
    }
    /// Holds keys for one pass, then lets them go.
    bool passHolding(std::initializer_list<int> keys) {
        for (int k : keys) os.setKey(k, true);
        const bool goesOn = app->runPass();
        for (int k : keys) os.setKey(k, false);
        return goesOn;
    }
    /// A click: keys held for one pass, let go for the next, so a repeat is a new press.
    void click(std::initializer_list<int> keys) {
        passHolding(keys);
        app->runPass();
    }
    RecordingDevice& device() { return static_cast<RecordingDevice&>(*gRenderer->device); }
    /// Puts the cursor at a client point of the window.
    void cursorAtClient(int x, int y) {
        const Point home = app->cursorHomeOnScreen();
        os.cursor = {home.x - 400 + x, home.y - 300 + y};
    }

    ScriptedOperatingSystem os;
    std::unique_ptr<Application> app;
};

}  // namespace velmora::test
