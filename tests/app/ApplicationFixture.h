#pragma once
// The real loop on the scripted operating system and the headless device, run from the
// build folder so bin/min.fx and the pictures are found as the program finds them.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <initializer_list>
#include <memory>

#include "app/Application.h"
#include "app/Window.h"
#include "platform/HeadlessDevice.h"
#include "platform/ScriptedOperatingSystem.h"
#include "render/D3DRenderer.h"
#include "render/TextureManager.h"

namespace velmora {

inline void resetGlobals() {
    resetRendererToConstructedState();
    resetWindowState();
    gTextureManager->clear();
}

class ApplicationTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(chdir(VELMORA_BUILD_DIR), 0);
        resetGlobals();
    }
    void TearDown() override {
        app.reset();
        resetGlobals();
    }

    /// Starts the application; the clock then advances by dtSeconds per pass.
    void start(float dtSeconds = 0.01f) {
        app = std::make_unique<Application>(os, headlessDirect3DCreate);
        const auto failed = app->startUp(SW_SHOWNORMAL);
        ASSERT_FALSE(failed.has_value()) << app->failure;
        setDt(dtSeconds);
    }
    void setDt(float dtSeconds) {
        os.counterStep = static_cast<std::int64_t>(dtSeconds * static_cast<float>(os.frequency));
    }
    /// Holds the keys over `passes` passes, then lets them go; whether the loop goes on.
    bool hold(std::initializer_list<int> keys, int passes = 1) {
        for (int k : keys)
            os.setKey(k, true);
        bool goesOn = true;
        for (int i = 0; i < passes; ++i)
            goesOn = app->runPass();
        for (int k : keys)
            os.setKey(k, false);
        return goesOn;
    }
    HeadlessDevice& device() { return static_cast<HeadlessDevice&>(*gRenderer->device); }
    void cursorAtClient(int x, int y) {
        const Point home = app->cursorHomeOnScreen();
        os.cursor = {home.x - 400 + x, home.y - 300 + y};
    }
    /// Puts the cursor on the particle's centre as the last frame showed it.
    void cursorOn(const Particle* particle) {
        const Vec3 p = particle->current.position;
        const Matrix4 m = gRenderer->view * gRenderer->projection;
        const float w = p.x * m.m[0][3] + p.y * m.m[1][3] + p.z * m.m[2][3] + m.m[3][3];
        const Vec3 clip = transformRow(p, m);
        cursorAtClient(static_cast<int>(std::lround((clip.x / w + 1.0f) * 400.0f)),
                       static_cast<int>(std::lround((1.0f - clip.y / w) * 300.0f)));
    }

    ScriptedOperatingSystem os;
    std::unique_ptr<Application> app;
};

}  // namespace velmora
