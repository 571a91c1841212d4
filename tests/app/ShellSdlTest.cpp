// The shell on the real SDL operating system, each test on its own 1280 x 800 Xvfb screen
// without a window manager unless it starts one; input comes from xdotool.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "app/FrameTimer.h"
#include "app/Window.h"
#include "platform/SdlOperatingSystem.h"

// Last: X11 defines macros (None, Bool, Status) that clash with the headers above.
#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace velmora {
namespace {

/// Polls until the condition holds, for at most twenty seconds (a loaded machine is slow).
bool eventually(const std::function<bool()>& condition) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (std::chrono::steady_clock::now() < deadline) {
        if (condition()) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return condition();
}

void xdotool(const std::string& arguments) {
    ASSERT_EQ(std::system(("xdotool " + arguments).c_str()), 0) << arguments;
}

class ShellSdlTest : public ::testing::Test {
  protected:
    SdlOperatingSystem os;
    FrameTimer frameTimer{os};
    SDL_Window* sdl = nullptr;
    Display* display = nullptr;
    ::Window xWindow = 0;

    void SetUp() override {
        ASSERT_TRUE(os.videoReady()) << SDL_GetError();
        resetWindowState();
        instanceHandle = &os;
        timer = &frameTimer;
        frameTimer.start();
        ASSERT_TRUE(createWindow("renderer", SW_SHOWNORMAL));
        sdl = SdlOperatingSystem::sdlWindow(windowHandle);
        SDL_SysWMinfo info;
        SDL_VERSION(&info.version);
        ASSERT_TRUE(SDL_GetWindowWMInfo(sdl, &info));
        ASSERT_EQ(info.subsystem, SDL_SYSWM_X11);
        display = info.info.x11.display;
        xWindow = info.info.x11.window;
    }
    void TearDown() override {
        timer = nullptr;
        resetWindowState();
    }

    /// Takes and dispatches what waits, as the main loop would over several passes.
    void pumpMessages() {
        Message m;
        while (os.peekMessage(m)) {
            if (m.message != WM_QUIT) {
                os.dispatchMessage(m);
            }
        }
    }

    /// The client area as the X server has it, in root coordinates.
    Rect xClientRect() {
        XWindowAttributes attributes;
        XGetWindowAttributes(display, xWindow, &attributes);
        int x = 0, y = 0;
        ::Window child;
        XTranslateCoordinates(display, xWindow, attributes.root, 0, 0, &x, &y, &child);
        return {x, y, x + attributes.width, y + attributes.height};
    }
};

TEST_F(ShellSdlTest, APointerWarpedByAnotherProgramIsReadWithoutWaitingForInput) {
    // A warp into the window is read at the next pass, with no input from the user.
    os.getCursorPos();
    for (const Point target : {Point{300, 200}, Point{900, 650}}) {
        xdotool("mousemove " + std::to_string(target.x) + " " + std::to_string(target.y));
        EXPECT_TRUE(eventually([&] {
            pumpMessages();
            return os.getCursorPos() == target;
        })) << target.x;
    }
}

TEST_F(ShellSdlTest, CloseRequestArrivesAsWmCloseAndEndsInQuitZero) {
    pumpMessages();
    // What a window manager's close button sends.
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = xWindow;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    XSendEvent(display, xWindow, False, NoEventMask, &event);
    XFlush(display);

    Message m;
    ASSERT_TRUE(eventually([&] { return os.peekMessage(m) && m.message != WM_SETFOCUS; }));
    EXPECT_EQ(m.message, WM_CLOSE);
    EXPECT_EQ(os.dispatchMessage(m), 0);
    ASSERT_TRUE(os.peekMessage(m));
    EXPECT_EQ(m.message, WM_QUIT);
    EXPECT_EQ(m.wParam, 0u);
}

/// The 32-bit items of a window property; empty when it is not set.
std::vector<unsigned long> itemsOf(Display* on, ::Window window, Atom property) {
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    std::vector<unsigned long> items;
    if (XGetWindowProperty(on, window, property, 0, 64, False, AnyPropertyType, &type, &format,
                           &count, &after, &data) == Success &&
        data != nullptr && format == 32) {
        const auto* longs = reinterpret_cast<const unsigned long*>(data);
        items.assign(longs, longs + count);
    }
    if (data != nullptr) {
        XFree(data);
    }
    return items;
}

/// JWM on the test's screen with its default settings, running before SDL looks for it.
class WindowManagerProcess {
  public:
    WindowManagerProcess() {
        std::ofstream(configFile) << "<?xml version=\"1.0\"?>\n<JWM></JWM>\n";
        process = fork();
        if (process == 0) {
            execlp("jwm", "jwm", "-f", configFile.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        if (Display* own = XOpenDisplay(nullptr)) {
            const Atom check = XInternAtom(own, "_NET_SUPPORTING_WM_CHECK", False);
            managing =
                eventually([&] { return !itemsOf(own, DefaultRootWindow(own), check).empty(); });
            XCloseDisplay(own);
        }
    }
    ~WindowManagerProcess() {
        if (process > 0) {
            kill(process, SIGTERM);
            waitpid(process, nullptr, 0);
        }
        std::remove(configFile.c_str());
    }
    WindowManagerProcess(const WindowManagerProcess&) = delete;
    WindowManagerProcess& operator=(const WindowManagerProcess&) = delete;

    bool managing = false;

  private:
    std::string configFile = "/tmp/velmora-jwmrc-" + std::to_string(getpid());
    pid_t process = -1;
};

/// The same under a window manager (a base made before ShellSdlTest's members).
class ShellSdlWindowManagerTest : private WindowManagerProcess, public ShellSdlTest {
  protected:
    void SetUp() override {
        ASSERT_TRUE(managing) << "jwm did not start";
        ShellSdlTest::SetUp();
    }

    /// Whether the window manager lets the user do this to the window now.
    bool allows(const char* action) {
        XSync(display, False);
        const auto actions =
            itemsOf(display, xWindow, XInternAtom(display, "_NET_WM_ALLOWED_ACTIONS", False));
        const Atom wanted = XInternAtom(display, action, False);
        return std::find(actions.begin(), actions.end(), wanted) != actions.end();
    }
};

TEST_F(ShellSdlWindowManagerTest, TheWindowHasNoSizingMinimiseOrMaximiseBeforeAndAfterFullScreen) {
    const auto offersOnlyMoveAndClose = [&] {
        return allows("_NET_WM_ACTION_CLOSE") && allows("_NET_WM_ACTION_MOVE") &&
               !allows("_NET_WM_ACTION_MINIMIZE") && !allows("_NET_WM_ACTION_MAXIMIZE_HORZ") &&
               !allows("_NET_WM_ACTION_MAXIMIZE_VERT") && !allows("_NET_WM_ACTION_RESIZE");
    };
    ASSERT_TRUE(eventually([&] {
        pumpMessages();
        return offersOnlyMoveAndClose() && xClientRect().width() == 800;
    }));
    EXPECT_EQ(xClientRect().height(), 600);
    const Rect windowed = os.getWindowRect(windowHandle);
    const Rect windowedClient = xClientRect();

    // Full screen covers the display; back, the window is where and as it was.
    fullScreen = true;
    switchDisplayMode();
    EXPECT_TRUE(eventually([&] {
        pumpMessages();
        return xClientRect() == Rect{0, 0, 1280, 800};
    }));
    fullScreen = false;
    switchDisplayMode();
    EXPECT_TRUE(eventually([&] {
        pumpMessages();
        return xClientRect() == windowedClient && offersOnlyMoveAndClose();
    }));
    EXPECT_EQ(os.getWindowRect(windowHandle), windowed);
    // Focus on a window a remap left unviewable: Xlib's own handler would end the process.
    XUnmapWindow(display, xWindow);
    XSync(display, False);
    XSetInputFocus(display, xWindow, RevertToParent, CurrentTime);
    XSync(display, False);
}

}  // namespace
}  // namespace velmora
