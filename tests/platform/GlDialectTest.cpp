// The page's OpenGL ES stages, compiled and drawn here by Mesa, whose desktop contexts take
// GLSL ES 3.00 too: the effect as the page rewrites it must compile, read vertex colours as
// the desktop does and clip depth as Direct3D does, without a browser.
#include "platform/GlDialect.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/EffectFile.h"
#include "platform/GlContext.h"

namespace velmora {
namespace {

constexpr int kSize = 8;

GLuint compile(GLenum kind, const std::string& source) {
    const GLuint shader = glCreateShader(kind);
    const char* text = source.c_str();
    glShaderSource(shader, 1, &text, nullptr);
    glCompileShader(shader);
    GLint ok = GL_FALSE;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (ok != GL_TRUE) {
        std::array<char, 4096> log{};
        glGetShaderInfoLog(shader, log.size(), nullptr, log.data());
        ADD_FAILURE() << log.data() << "\nin:\n" << source;
    }
    return shader;
}

/// One vertex as the renderer lays it out for these inputs: position, then a D3DCOLOR.
struct Vertex {
    float x, y, z;
    std::uint32_t colour;
};

class GlDialectTest : public ::testing::Test {
  protected:
    void SetUp() override {
        const char* why = "";
        context_ = makeOffscreenGlContext([] { return std::pair(kSize, kSize); }, why);
        // CI has Mesa, which does both: there a missing one is a failure, not a skip.
        const bool mustRun = std::getenv("CI") != nullptr;
        if (context_ == nullptr) {
            ASSERT_FALSE(mustRun) << "no offscreen OpenGL: " << why;
            GTEST_SKIP() << "no offscreen OpenGL: " << why;
        }
        context_->makeCurrent();
        if (!epoxy_has_gl_extension("GL_ARB_ES3_compatibility")) {
            ASSERT_FALSE(mustRun) << "this OpenGL compiles no GLSL ES 3.00";
            GTEST_SKIP() << "this OpenGL compiles no GLSL ES 3.00";
        }
        EffectFileSource effect;
        std::string error;
        ASSERT_TRUE(loadEffectFile(VELMORA_SOURCE_DIR "/assets/min.fx", effect, error)) << error;
        const EffectPassSource& pass = effect.techniques.at(0).passes.at(0);
        const GLuint vertex =
            compile(GL_VERTEX_SHADER, gl::glslForEmbedded(pass.vertexSource, true));
        const GLuint fragment =
            compile(GL_FRAGMENT_SHADER, gl::glslForEmbedded(pass.fragmentSource, false));
        program_ = glCreateProgram();
        glAttachShader(program_, vertex);
        glAttachShader(program_, fragment);
        for (GLuint location = 0; location < 9; ++location)
            glBindAttribLocation(program_, location, kSemanticNames[location]);
        glLinkProgram(program_);
        GLint linked = GL_FALSE;
        glGetProgramiv(program_, GL_LINK_STATUS, &linked);
        ASSERT_EQ(linked, GL_TRUE);
        glUseProgram(program_);
        const std::array<float, 16> identity{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
        glUniformMatrix4fv(glGetUniformLocation(program_, "wvp"), 1, GL_FALSE, identity.data());
        // A white texel, so the colour drawn is the vertex colour.
        const std::uint8_t white[4] = {0xFF, 0xFF, 0xFF, 0xFF};
        glGenTextures(1, &texture_);
        glBindTexture(GL_TEXTURE_2D, texture_);
        gl::textureImage(0, 1, 1, white, false);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
        glGenVertexArrays(1, &vao_);
        glBindVertexArray(vao_);
        glGenBuffers(1, &buffer_);
        glViewport(0, 0, kSize, kSize);
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
    }

    /// A triangle over the whole viewport at depth z, in the page's vertex layout.
    void drawAt(float z, std::uint32_t colour) {
        const std::array<Vertex, 3> triangle{
            {{-1, -1, z, colour}, {3, -1, z, colour}, {-1, 3, z, colour}}};
        glBindBuffer(GL_ARRAY_BUFFER, buffer_);
        glBufferData(GL_ARRAY_BUFFER, sizeof triangle, triangle.data(), GL_STREAM_DRAW);
        glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, sizeof(Vertex), nullptr);
        glEnableVertexAttribArray(0);
        const GLuint colourLocation = 1;  // COLOR0
        ASSERT_STREQ(kSemanticNames[colourLocation], "COLOR0");
        glVertexAttribPointer(colourLocation, 4, GL_UNSIGNED_BYTE, GL_TRUE, sizeof(Vertex),
                              reinterpret_cast<const void*>(offsetof(Vertex, colour)));
        glEnableVertexAttribArray(colourLocation);
        glDrawArrays(GL_TRIANGLES, 0, 3);
    }

    std::array<std::uint8_t, 4> centre() {
        std::array<std::uint8_t, 4> rgba{};
        glReadPixels(kSize / 2, kSize / 2, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
        return rgba;
    }

    void TearDown() override {
        if (context_ == nullptr)
            return;
        glDeleteBuffers(1, &buffer_);
        glDeleteVertexArrays(1, &vao_);
        glDeleteTextures(1, &texture_);
        glDeleteProgram(program_);
    }

    std::unique_ptr<GlContext> context_;
    GLuint program_ = 0, texture_ = 0, vao_ = 0, buffer_ = 0;
};

TEST_F(GlDialectTest, VertexColoursReadAsOnTheDesktop) {
    drawAt(0.5f, 0xFF2040C0u);  // 0xAARRGGBB: red 0x20, green 0x40, blue 0xC0
    const auto rgba = centre();
    EXPECT_EQ(rgba[0], 0x20);
    EXPECT_EQ(rgba[1], 0x40);
    EXPECT_EQ(rgba[2], 0xC0);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(GlDialectTest, DepthClipsAtZeroAndOneAsOnDirect3D) {
    // Direct3D keeps 0 <= z <= w; GL's own range would keep -0.5 and clip nothing in 0..1.
    drawAt(0.0f, 0xFF00FF00u);
    EXPECT_EQ(centre()[1], 0xFF) << "z = 0, the near plane, is drawn";
    drawAt(-0.5f, 0xFFFF0000u);
    EXPECT_EQ(centre()[0], 0x00) << "nearer than the near plane is clipped";
    drawAt(1.5f, 0xFFFF0000u);
    EXPECT_EQ(centre()[0], 0x00) << "beyond the far plane is clipped";
    drawAt(0.99f, 0xFF0000FFu);
    EXPECT_EQ(centre()[2], 0xFF) << "just inside the far plane is drawn";
}

TEST(GlDialect, TexelsTurnToRgbaWithAlphaOnlyWhereTheFormatHasIt) {
    const std::uint8_t bgra[8] = {0x10, 0x20, 0x30, 0x40, 0xA0, 0xB0, 0xC0, 0x00};
    std::vector<std::uint32_t> rgba;
    gl::texelsToRgba(bgra, false, rgba);
    ASSERT_EQ(rgba.size(), 2u);
    std::uint8_t bytes[8];
    std::memcpy(bytes, rgba.data(), sizeof bytes);
    const std::uint8_t expected[8] = {0x30, 0x20, 0x10, 0x40, 0xC0, 0xB0, 0xA0, 0x00};
    EXPECT_EQ(0, std::memcmp(bytes, expected, sizeof bytes));
    gl::texelsToRgba(bgra, true, rgba);
    std::memcpy(bytes, rgba.data(), sizeof bytes);
    EXPECT_EQ(bytes[3], 0xFF);
    EXPECT_EQ(bytes[7], 0xFF);
}

}  // namespace
}  // namespace velmora
