#pragma once
// Where the OpenGL device draws: a window's context through SDL, an offscreen surface
// through EGL for pictures without a display, or the web page's canvas through WebGL 2. The device
// makes the context current, swaps, and asks the size of what it draws into.
#include <functional>
#include <memory>
#include <utility>

struct SDL_Window;

namespace velmora {

class GlContext {
  public:
    virtual ~GlContext() = default;
    virtual void makeCurrent() = 0;
    /// Shows the frame drawn (a window) or does nothing (an offscreen surface).
    virtual void swapBuffers() = 0;
    /// Pixels of what is drawn into.
    virtual void drawableSize(int& width, int& height) const = 0;
    /// Waits for the display's refresh on swaps, where it can.
    virtual void setSwapInterval(int /*interval*/) {}
    /// Makes an offscreen surface at least this large; a window follows its own size.
    virtual bool fitSize(int /*width*/, int /*height*/) { return true; }
};

/// An OpenGL 3.3 core context on a window made with SDL_WINDOW_OPENGL; null when none.
std::unique_ptr<GlContext> makeSdlGlContext(SDL_Window* window);
/// An OpenGL 3.3 core context on an offscreen surface through Mesa's EGL without a display
/// (its surfaceless platform), as large as `windowSize` says the window it stands in for is;
/// null when EGL cannot give one, with the reason in `why`.
std::unique_ptr<GlContext> makeOffscreenGlContext(std::function<std::pair<int, int>()> windowSize,
                                                  const char*& why);
/// An OpenGL ES 3.0 (WebGL 2) context on the page's canvas with this CSS selector; null when
/// the browser gives none.
std::unique_ptr<GlContext> makeWebGlContext(const char* canvas);

}  // namespace velmora
