#pragma once
// The one place GL errors are looked at. In debug builds VELMORA_GL_CHECK() after a group of
// GL calls prints every pending error with the file and line; release builds compile it
// away. Tests read errors themselves through GlDevice::takeGlError.

namespace velmora {

/// Prints and clears every pending GL error; returns how many there were.
int reportGlErrors(const char* file, int line);

}  // namespace velmora

#ifdef NDEBUG
#define VELMORA_GL_CHECK() ((void)0)
#else
#define VELMORA_GL_CHECK() ::velmora::reportGlErrors(__FILE__, __LINE__)
#endif
