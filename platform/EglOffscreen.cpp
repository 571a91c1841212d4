// Pictures without a display: an OpenGL 3.3 core context on a pbuffer through Mesa's EGL, on
// its surfaceless platform, which needs neither an X server nor a GPU (llvmpipe draws).
#include <dlfcn.h>
#include <epoxy/egl.h>

#include <algorithm>
#include <tuple>

#include "platform/GlContext.h"

namespace velmora {
namespace {

class EglOffscreen final : public GlContext {
  public:
    EglOffscreen(EGLDisplay display, EGLConfig config, EGLContext context,
                 std::function<std::pair<int, int>()> windowSize)
        : display_(display),
          config_(config),
          context_(context),
          windowSize_(std::move(windowSize)) {}
    ~EglOffscreen() override {
        eglMakeCurrent(display_, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
        if (surface_ != EGL_NO_SURFACE)
            eglDestroySurface(display_, surface_);
        eglDestroyContext(display_, context_);
        eglTerminate(display_);
    }
    void makeCurrent() override { eglMakeCurrent(display_, surface_, surface_, context_); }
    // A pbuffer has nothing to show; its back buffer keeps the frame until the next clear.
    void swapBuffers() override {}
    // The window it stands in for decides, as a window's size decides its drawable's.
    void drawableSize(int& width, int& height) const override {
        std::tie(width, height) = windowSize_();
    }
    bool fitSize(int width, int height) override {
        if (surface_ != EGL_NO_SURFACE && width == width_ && height == height_)
            return true;
        const EGLint attributes[] = {EGL_WIDTH, std::max(width, 1), EGL_HEIGHT, std::max(height, 1),
                                     EGL_NONE};
        const EGLSurface surface = eglCreatePbufferSurface(display_, config_, attributes);
        if (surface == EGL_NO_SURFACE)
            return false;
        // The context and every object in it carry over to the new surface.
        eglMakeCurrent(display_, surface, surface, context_);
        if (surface_ != EGL_NO_SURFACE)
            eglDestroySurface(display_, surface_);
        surface_ = surface;
        width_ = std::max(width, 1);
        height_ = std::max(height, 1);
        return true;
    }

  private:
    EGLDisplay display_;
    EGLConfig config_;
    EGLContext context_;
    std::function<std::pair<int, int>()> windowSize_;
    EGLSurface surface_ = EGL_NO_SURFACE;
    int width_ = 0;
    int height_ = 0;
};

}  // namespace

std::unique_ptr<GlContext> makeOffscreenGlContext(std::function<std::pair<int, int>()> windowSize,
                                                  const char*& why) {
    // libepoxy loads EGL on its first call and ends the process when it cannot: look first.
    void* egl = dlopen("libEGL.so.1", RTLD_LAZY | RTLD_LOCAL);
    if (egl == nullptr) {
        why = "EGL is not installed (libEGL.so.1: the libegl1 package)";
        return nullptr;
    }
    dlclose(egl);
    const char* extensions = eglQueryString(EGL_NO_DISPLAY, EGL_EXTENSIONS);
    if (extensions == nullptr ||
        !epoxy_has_egl_extension(EGL_NO_DISPLAY, "EGL_MESA_platform_surfaceless")) {
        why = "EGL has no surfaceless platform (Mesa's libegl1 is needed)";
        return nullptr;
    }
    EGLDisplay display =
        eglGetPlatformDisplayEXT(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
    EGLint major = 0, minor = 0;
    if (display == EGL_NO_DISPLAY || !eglInitialize(display, &major, &minor)) {
        why = "EGL cannot start its surfaceless display";
        return nullptr;
    }
    const EGLint configAttributes[] = {EGL_SURFACE_TYPE,
                                       EGL_PBUFFER_BIT,
                                       EGL_RED_SIZE,
                                       8,
                                       EGL_GREEN_SIZE,
                                       8,
                                       EGL_BLUE_SIZE,
                                       8,
                                       EGL_DEPTH_SIZE,
                                       24,
                                       EGL_STENCIL_SIZE,
                                       8,
                                       EGL_RENDERABLE_TYPE,
                                       EGL_OPENGL_BIT,
                                       EGL_NONE};
    EGLConfig config = nullptr;
    EGLint found = 0;
    const EGLint contextAttributes[] = {EGL_CONTEXT_MAJOR_VERSION,
                                        3,
                                        EGL_CONTEXT_MINOR_VERSION,
                                        3,
                                        EGL_CONTEXT_OPENGL_PROFILE_MASK,
                                        EGL_CONTEXT_OPENGL_CORE_PROFILE_BIT,
                                        EGL_NONE};
    EGLContext context = EGL_NO_CONTEXT;
    if (eglBindAPI(EGL_OPENGL_API) &&
        eglChooseConfig(display, configAttributes, &config, 1, &found) && found == 1)
        context = eglCreateContext(display, config, EGL_NO_CONTEXT, contextAttributes);
    if (context == EGL_NO_CONTEXT) {
        eglTerminate(display);
        why = "EGL has no OpenGL 3.3 core context for an offscreen surface";
        return nullptr;
    }
    const auto [width, height] = windowSize();
    auto offscreen =
        std::make_unique<EglOffscreen>(display, config, context, std::move(windowSize));
    if (!offscreen->fitSize(width, height)) {
        why = "EGL cannot make an offscreen surface of that size";
        return nullptr;
    }
    return offscreen;
}

}  // namespace velmora
