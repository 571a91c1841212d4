#pragma once
// The OpenGL the device speaks: desktop OpenGL 3.3 core through libepoxy, or OpenGL ES 3.0
// (WebGL 2) in the web page. The differences between the two stand here and in
// GlDialect.cpp, nowhere else:
// - depth: the desktop keeps Direct3D's 0..1 through glClipControl; WebGL has no clip control,
//   so the vertex stage maps 0..1 onto GL's -1..1 after the effect's own main;
// - colours: the desktop reads 0xAARRGGBB as GL_BGRA, vertex colours and texels alike; ES has
//   no GL_BGRA, so D3DCOLOR vertex inputs are read as RGBA and swizzled in the shader (the
//   inputs named COLORn, the only ones a D3DCOLOR stream feeds), and texels are swapped into
//   RGBA on upload;
// - base vertex: ES has no glDrawElementsBaseVertex; the caller moves the vertex streams, so a
//   negative base vertex that would move a stream before its buffer's start is refused there;
// - fill mode: ES draws filled only; the page draws wireframe where the browser has
//   WEBGL_polygon_mode, and points filled;
// - the last frame: ES cannot map a pixel-pack buffer, so the page keeps no frame.
#ifdef __EMSCRIPTEN__
#include <GLES3/gl3.h>
#else
#include <epoxy/gl.h>
#endif

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace velmora::gl {

#ifdef __EMSCRIPTEN__
inline constexpr bool kEmbedded = true;
#else
inline constexpr bool kEmbedded = false;
#endif

/// An effect stage written for GLSL 330 core, as OpenGL ES 3.0's GLSL wants it: version and
/// precision, vertex colours swizzled from BGRA, and (vertex stage) depth mapped from 0..1 to
/// -1..1. Pure text work, so it is tested without a context.
std::string glslForEmbedded(std::string_view source, bool vertexStage);
/// The stage as this build's context wants it.
std::string glslForContext(std::string_view source, bool vertexStage);

/// Whether draws take a base vertex; without, the caller moves the vertex streams instead.
inline constexpr bool kHasBaseVertex = !kEmbedded;
/// glDrawElements of 32-bit indices, from baseVertex where the context has base vertices.
void drawElements(GLenum mode, GLsizei count, const void* first, GLint baseVertex);
/// Whether present() keeps the frame for getFrontBufferData (screenshots and videos).
inline constexpr bool kKeepsFrames = !kEmbedded;

/// OpenGL 3.3 with clip control on the desktop; any WebGL 2 context in the page.
bool contextSuffices();
/// Depth 0..1 as on Direct3D, where the context can clip that way.
void useDirect3DDepthRange();
void clearDepth(float depth);
enum class Fill { Points, Lines, Solid };
/// How triangles are filled, where the context has polygon modes.
void polygonMode(Fill fill);
/// A D3DCOLOR vertex input at this location.
void colourAttributePointer(GLuint location, GLsizei stride, const void* pointer);
/// glTexImage2D / glTexSubImage2D of 0xAARRGGBB texels (four bytes each, B, G, R, A in
/// memory); opaque drops the fourth byte, so the texture samples with alpha 1.
void textureImage(GLint level, GLsizei width, GLsizei height, const std::uint8_t* texels,
                  bool opaque);
void textureSubImage(GLint level, GLsizei width, GLsizei height, const std::uint8_t* texels,
                     bool opaque);
/// The back buffer's pixels as 0xAARRGGBB words into the bound pixel-pack buffer.
void readFrameIntoPackBuffer(GLsizei width, GLsizei height);
/// The bound pixel-pack buffer's first bytes, mapped for reading; null when it cannot be.
const void* mapPackBuffer(std::size_t bytes);
void unmapPackBuffer();
/// 0xAARRGGBB words into RGBA byte order, alpha 0xFF where opaque.
void texelsToRgba(std::span<const std::uint8_t> texels, bool opaque,
                  std::vector<std::uint32_t>& out);

}  // namespace velmora::gl
