#include "platform/GlDialect.h"

#ifdef __EMSCRIPTEN__
#include <emscripten.h>
#endif

#include <regex>

namespace velmora::gl {
namespace {

/// The effect's own main, renamed so that the mapped depth can follow it.
constexpr const char* kRenamedMain = "velmoraEffectMain";

}  // namespace

std::string glslForEmbedded(std::string_view source, bool vertexStage) {
    std::string text(source);
    static const std::regex version(R"(^[ \t]*#version[^\n]*\n?)");
    text = std::regex_replace(text, version, "", std::regex_constants::format_first_only);
    if (vertexStage) {
        // Uses after each colour input's declaration read it as BGRA, as the desktop does.
        static const std::regex colourInput(R"(\bin\s+vec4\s+(COLOR\d)\s*;)");
        std::smatch declared;
        std::string rest = text;
        std::string done;
        while (std::regex_search(rest, declared, colourInput)) {
            const std::string name = declared[1].str();
            done +=
                rest.substr(0, static_cast<std::size_t>(declared.position(0) + declared.length(0)));
            rest = std::regex_replace(
                rest.substr(static_cast<std::size_t>(declared.position(0) + declared.length(0))),
                std::regex("\\b" + name + "\\b"), name + ".bgra");
        }
        text = done + rest;
        static const std::regex main(R"(\bvoid\s+main\s*\(\s*(void)?\s*\))");
        text = std::regex_replace(text, main, std::string("void ") + kRenamedMain + "()");
        text += std::string("\nvoid main() {\n    ") + kRenamedMain +
                "();\n    gl_Position.z = 2.0 * gl_Position.z - gl_Position.w;\n}\n";
    }
    return "#version 300 es\nprecision highp float;\nprecision highp int;\n" + text;
}

std::string glslForContext(std::string_view source, bool vertexStage) {
    return kEmbedded ? glslForEmbedded(source, vertexStage) : std::string(source);
}

void texelsToRgba(std::span<const std::uint8_t> texels, bool opaque,
                  std::vector<std::uint32_t>& out) {
    out.resize(texels.size() / 4);
    for (std::size_t i = 0; i < out.size(); ++i) {
        // B, G, R, A in memory; RGBA bytes read as a little-endian word are 0xAABBGGRR.
        const std::uint8_t* t = texels.data() + 4 * i;
        const std::uint32_t alpha = opaque ? 0xFFu : t[3];
        out[i] = std::uint32_t{t[2]} | std::uint32_t{t[1]} << 8 | std::uint32_t{t[0]} << 16 |
                 alpha << 24;
    }
}

#ifdef __EMSCRIPTEN__

bool contextSuffices() {
    return true;
}

void useDirect3DDepthRange() {}  // done in every vertex stage instead

void clearDepth(float depth) {
    glClearDepthf(depth);
}

namespace {
// WebGL 2 has no polygon modes of its own; browsers with WEBGL_polygon_mode draw lines.
// clang-format off: script, not C++
EM_JS(void, webglPolygonMode, (int lines), {
    const modes = GLctx.getExtension('WEBGL_polygon_mode');
    if (modes)
        modes.polygonModeWEBGL(GLctx.FRONT_AND_BACK, lines ? modes.LINE_WEBGL : modes.FILL_WEBGL);
});
// clang-format on
}  // namespace

void polygonMode(Fill fill) {
    webglPolygonMode(fill == Fill::Lines ? 1 : 0);
}

void drawElements(GLenum mode, GLsizei count, const void* first, GLint /*baseVertex*/) {
    glDrawElements(mode, count, GL_UNSIGNED_INT, first);
}

void readFrameIntoPackBuffer(GLsizei, GLsizei) {}

const void* mapPackBuffer(std::size_t) {
    return nullptr;
}

void unmapPackBuffer() {}

void colourAttributePointer(GLuint location, GLsizei stride, const void* pointer) {
    glVertexAttribPointer(location, 4, GL_UNSIGNED_BYTE, GL_TRUE, stride, pointer);
}

namespace {
void uploadRgba(bool whole, GLint level, GLsizei width, GLsizei height, const std::uint8_t* texels,
                bool opaque) {
    std::vector<std::uint32_t> rgba;
    texelsToRgba(std::span(texels, std::size_t{4} * static_cast<std::size_t>(width) * height),
                 opaque, rgba);
    if (whole) {
        glTexImage2D(GL_TEXTURE_2D, level, GL_RGBA8, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                     rgba.data());
    } else {
        glTexSubImage2D(GL_TEXTURE_2D, level, 0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE,
                        rgba.data());
    }
}
}  // namespace

void textureImage(GLint level, GLsizei width, GLsizei height, const std::uint8_t* texels,
                  bool opaque) {
    uploadRgba(true, level, width, height, texels, opaque);
}

void textureSubImage(GLint level, GLsizei width, GLsizei height, const std::uint8_t* texels,
                     bool opaque) {
    uploadRgba(false, level, width, height, texels, opaque);
}

#else

bool contextSuffices() {
    // Projection matrices map depth to 0..1 as on Direct3D; without clip control GL would
    // clip at -w, so geometry nearer than zNear would be drawn instead of clipped.
    return epoxy_gl_version() >= 45 ||
           (epoxy_gl_version() >= 33 && epoxy_has_gl_extension("GL_ARB_clip_control"));
}

void useDirect3DDepthRange() {
    glClipControl(GL_LOWER_LEFT, GL_ZERO_TO_ONE);
}

void clearDepth(float depth) {
    glClearDepth(depth);
}

void polygonMode(Fill fill) {
    glPolygonMode(GL_FRONT_AND_BACK, fill == Fill::Points  ? GL_POINT
                                     : fill == Fill::Lines ? GL_LINE
                                                           : GL_FILL);
}

void drawElements(GLenum mode, GLsizei count, const void* first, GLint baseVertex) {
    glDrawElementsBaseVertex(mode, count, GL_UNSIGNED_INT, first, baseVertex);
}

void readFrameIntoPackBuffer(GLsizei width, GLsizei height) {
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, width, height, GL_BGRA, GL_UNSIGNED_BYTE, nullptr);
}

const void* mapPackBuffer(std::size_t bytes) {
    return glMapBufferRange(GL_PIXEL_PACK_BUFFER, 0, static_cast<GLsizeiptr>(bytes),
                            GL_MAP_READ_BIT);
}

void unmapPackBuffer() {
    glUnmapBuffer(GL_PIXEL_PACK_BUFFER);
}

void colourAttributePointer(GLuint location, GLsizei stride, const void* pointer) {
    glVertexAttribPointer(location, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, stride, pointer);
}

void textureImage(GLint level, GLsizei width, GLsizei height, const std::uint8_t* texels,
                  bool opaque) {
    // Three-byte and X8 formats drop the fourth byte, so they sample with alpha 1.
    glTexImage2D(GL_TEXTURE_2D, level, opaque ? GL_RGB8 : GL_RGBA8, width, height, 0, GL_BGRA,
                 GL_UNSIGNED_BYTE, texels);
}

void textureSubImage(GLint level, GLsizei width, GLsizei height, const std::uint8_t* texels,
                     bool /*opaque*/) {
    glTexSubImage2D(GL_TEXTURE_2D, level, 0, 0, width, height, GL_BGRA, GL_UNSIGNED_BYTE, texels);
}

#endif

}  // namespace velmora::gl
