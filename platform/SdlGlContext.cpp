#include <SDL.h>

#include "platform/GlContext.h"

namespace velmora {
namespace {

class SdlGlContext final : public GlContext {
  public:
    SdlGlContext(SDL_Window* window, SDL_GLContext context) : window_(window), context_(context) {}
    ~SdlGlContext() override {
        SDL_GL_MakeCurrent(window_, context_);
        SDL_GL_DeleteContext(context_);
    }
    void makeCurrent() override { SDL_GL_MakeCurrent(window_, context_); }
    void swapBuffers() override { SDL_GL_SwapWindow(window_); }
    void drawableSize(int& width, int& height) const override {
        SDL_GL_GetDrawableSize(window_, &width, &height);
    }
    // Drivers without swap control keep their own.
    void setSwapInterval(int interval) override { SDL_GL_SetSwapInterval(interval); }

  private:
    SDL_Window* window_;
    SDL_GLContext context_;
};

}  // namespace

std::unique_ptr<GlContext> makeSdlGlContext(SDL_Window* window) {
    if (window == nullptr || (SDL_GetWindowFlags(window) & SDL_WINDOW_OPENGL) == 0)
        return nullptr;
    SDL_GLContext context = SDL_GL_CreateContext(window);
    if (context == nullptr)
        return nullptr;
    return std::make_unique<SdlGlContext>(window, context);
}

}  // namespace velmora
