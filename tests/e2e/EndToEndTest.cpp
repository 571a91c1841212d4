// The real program on a private Xvfb screen: started from its build folder, driven with
// xdotool like a user, judged by its exit code and by pixels (0xRRGGBB, rows top down).
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

// Last: X11 defines macros (None, Bool, Status) that clash with the headers above.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <png.h>

namespace velmora::test {
namespace {

namespace fs = std::filesystem;

bool shell(const std::string& command) {
    return std::system(command.c_str()) == 0;
}
void sleepSeconds(double seconds) {
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
}

/// The binary started in a folder as a child process, its stderr kept in a file.
class ProgramUnderTest {
  public:
    ProgramUnderTest(const std::string& workingDirectory, std::vector<std::string> args = {}) {
        char name[] = "/tmp/velmora-e2e-stderr-XXXXXX";
        const int fd = mkstemp(name);
        stderrFile = name;
        pid = fork();
        if (pid == 0) {
            dup2(fd, 2);
            args.insert(args.begin(), VELMORA_BINARY);
            std::vector<char*> argv;
            for (auto& a : args)
                argv.push_back(a.data());
            argv.push_back(nullptr);
            if (chdir(workingDirectory.c_str()) == 0)
                execv(VELMORA_BINARY, argv.data());
            _exit(127);
        }
        close(fd);
    }
    ~ProgramUnderTest() {
        if (pid > 0 && !exitCode) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
        std::remove(stderrFile.c_str());
    }
    /// The exit code once the program has ended within the time, or nothing.
    std::optional<int> waitForExit(double seconds) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
        int status = 0;
        while (!exitCode && waitpid(pid, &status, WNOHANG) != pid) {
            if (std::chrono::steady_clock::now() >= end)
                return exitCode;
            sleepSeconds(0.05);
        }
        if (!exitCode)
            exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        return exitCode;
    }
    /// The X id of the window titled exactly "Velmora", or 0.
    unsigned long waitForWindow(double seconds) {
        for (int i = 0; i < seconds * 10 && !waitForExit(0.0); ++i) {
            std::string out;
            if (FILE* pipe = popen("xdotool search --name '^Velmora$' 2>/dev/null", "r")) {
                char buffer[256];
                while (std::fgets(buffer, sizeof buffer, pipe))
                    out += buffer;
                pclose(pipe);
            }
            if (!out.empty())
                return std::strtoul(out.c_str(), nullptr, 10);
            sleepSeconds(0.1);
        }
        return 0;
    }
    std::string standardError() const {
        std::stringstream text;
        text << std::ifstream(stderrFile).rdbuf();
        return text.str();
    }

  private:
    pid_t pid = -1;
    std::string stderrFile;
    std::optional<int> exitCode;
};

struct Picture {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;
};

/// The window's client area as the X server shows it now; empty on failure.
Picture grabWindow(unsigned long window) {
    Picture picture;
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr)
        return picture;
    XWindowAttributes a;
    XImage* image = XGetWindowAttributes(display, window, &a) == 0
                        ? nullptr
                        : XGetImage(display, window, 0, 0, a.width, a.height, AllPlanes, ZPixmap);
    if (image != nullptr) {
        picture = {a.width, a.height, {}};
        for (int y = 0; y < a.height; ++y)
            for (int x = 0; x < a.width; ++x)
                picture.pixels.push_back(static_cast<std::uint32_t>(XGetPixel(image, x, y)) &
                                         0xffffffu);
        XDestroyImage(image);
    }
    XCloseDisplay(display);
    return picture;
}

/// The PNG the program wrote; empty on failure.
Picture readPng(const std::string& fileName) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, fileName.c_str()))
        return {};
    image.format = PNG_FORMAT_RGB;
    std::vector<png_byte> rgb(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr))
        return {};
    Picture picture{static_cast<int>(image.width), static_cast<int>(image.height), {}};
    for (std::size_t i = 0; i + 2 < rgb.size(); i += 3)
        picture.pixels.push_back((std::uint32_t{rgb[i]} << 16) | (rgb[i + 1] << 8) | rgb[i + 2]);
    return picture;
}

int red(std::uint32_t p) {
    return (p >> 16) & 0xff;
}
int green(std::uint32_t p) {
    return (p >> 8) & 0xff;
}
int blue(std::uint32_t p) {
    return p & 0xff;
}

/// Counts the pixels in a rectangle that satisfy a colour test.
template <typename Test>
int countPixels(const Picture& picture, int x0, int y0, int x1, int y1, Test test) {
    int n = 0;
    for (int y = y0; y < y1 && y < picture.height; ++y)
        for (int x = x0; x < x1 && x < picture.width; ++x)
            n += test(picture.pixels[static_cast<std::size_t>(y) * picture.width + x]) ? 1 : 0;
    return n;
}

/// Share of pixels that differ between two pictures of one size.
double differingShare(const Picture& a, const Picture& b) {
    if (a.width != b.width || a.height != b.height || a.pixels.empty())
        return 1.0;
    std::size_t differing = 0;
    for (std::size_t i = 0; i < a.pixels.size(); ++i)
        differing += a.pixels[i] != b.pixels[i] ? 1 : 0;
    return static_cast<double>(differing) / static_cast<double>(a.pixels.size());
}

bool isOrange(std::uint32_t p) {
    const int r = red(p), g = green(p), b = blue(p);
    return r > 100 && g * 100 >= r * 35 && g * 100 <= r * 70 && b * 100 < r * 20;
}
bool isSky(std::uint32_t p) {
    return blue(p) > red(p) + 40 && blue(p) > 120;
}
bool isWood(std::uint32_t p) {
    const int r = red(p), g = green(p), b = blue(p);
    return r > 40 && g * 100 >= r * 45 && g * 100 <= r * 85 && b * 100 >= r * 20 &&
           b * 100 <= r * 55;
}

/// Holds a key or button long enough for several passes to see it: the program polls, so a
/// press and release between two passes would go unseen, as on the desktop.
bool press(const std::string& what, bool button = false) {
    const std::string down = button ? "mousedown " : "keydown ";
    const std::string up = button ? "mouseup " : "keyup ";
    const bool ok = shell("xdotool " + down + what);
    sleepSeconds(0.2);
    return shell("xdotool " + up + what) && ok;
}

TEST(EndToEnd, ScreenshotShowsRoomSkyAndOrangeSpheres) {
    const fs::path shot = fs::temp_directory_path() / "velmora-e2e-first.png";
    fs::remove(shot);
    ProgramUnderTest program(VELMORA_BUILD_DIR, {"--frames", "60", "--screenshot", shot.string()});
    const auto code = program.waitForExit(60.0);
    ASSERT_TRUE(code.has_value()) << "the program did not end after 60 passes";
    EXPECT_EQ(*code, 0) << program.standardError();

    const Picture picture = readPng(shot.string());
    ASSERT_EQ(picture.width, 800);
    ASSERT_EQ(picture.height, 600);
    const int all = picture.width * picture.height;
    // The sky shows above the room's far wall, the wood all round, the spheres in between.
    EXPECT_GT(countPixels(picture, 0, 0, 800, 600, isSky), all / 100);
    EXPECT_GT(countPixels(picture, 0, 0, 800, 600, isWood), all / 10);
    EXPECT_GT(countPixels(picture, 0, 0, 800, 600, isOrange), 500);
    // The floor fills the bottom of the picture between the walls; the sky shows beside
    // the room, never inside it.
    EXPECT_GT(countPixels(picture, 100, 560, 700, 600, isWood), 600 * 40 / 2);
    EXPECT_EQ(countPixels(picture, 100, 560, 700, 600, isSky), 0);
    EXPECT_GT(countPixels(picture, 0, 0, 40, 600, isSky), 40 * 600 / 2);
    fs::remove(shot);
}

TEST(EndToEnd, PauseLookSpawnAndQuitLikeAUser) {
    ProgramUnderTest program(VELMORA_BUILD_DIR);
    const unsigned long window = program.waitForWindow(30.0);
    ASSERT_NE(window, 0u) << program.standardError();
    const std::string id = std::to_string(window);
    ASSERT_TRUE(shell("xdotool windowfocus --sync " + id + " >/dev/null 2>&1"));
    sleepSeconds(1.0);

    // Running: the structure swings, so the picture changes.
    const Picture swinging1 = grabWindow(window);
    sleepSeconds(0.5);
    const Picture swinging2 = grabWindow(window);
    ASSERT_EQ(swinging1.width, 800);
    EXPECT_GT(differingShare(swinging1, swinging2), 0.0);

    // Tab pauses: two pictures a second apart are the same.
    ASSERT_TRUE(press("Tab"));
    sleepSeconds(0.5);
    const Picture paused1 = grabWindow(window);
    sleepSeconds(1.0);
    const Picture paused2 = grabWindow(window);
    EXPECT_EQ(differingShare(paused1, paused2), 0.0);

    // E held with the mouse moved left turns the view left, about 12 degrees, away from
    // the structure but still inside the room.
    ASSERT_TRUE(shell("xdotool mousemove --window " + id + " 400 300"));
    ASSERT_TRUE(shell("xdotool keydown e"));
    for (int i = 0; i < 2; ++i) {
        sleepSeconds(0.2);
        ASSERT_TRUE(shell("xdotool mousemove_relative -- -22 0"));
    }
    sleepSeconds(0.3);
    ASSERT_TRUE(shell("xdotool keyup e"));
    sleepSeconds(0.5);
    const Picture turned = grabWindow(window);
    EXPECT_GT(differingShare(paused2, turned), 0.1);
    const int orangeAtCentreBefore = countPixels(turned, 380, 280, 420, 320, isOrange);

    // A middle click at the window centre adds a sphere there.
    ASSERT_TRUE(shell("xdotool mousemove --window " + id + " 400 300"));
    ASSERT_TRUE(press("2", true));
    sleepSeconds(0.5);
    const Picture spawned = grabWindow(window);
    EXPECT_LT(orangeAtCentreBefore, 40);
    EXPECT_GT(countPixels(spawned, 380, 280, 420, 320, isOrange), 400);

    // Escape quits with 0.
    ASSERT_TRUE(press("Escape"));
    const auto code = program.waitForExit(20.0);
    ASSERT_TRUE(code.has_value());
    EXPECT_EQ(*code, 0) << program.standardError();
}

TEST(EndToEnd, WithoutADisplayItSaysSoAndExitsWith1) {
    // SDL would otherwise fall back to a driver whose window nobody sees, and run on.
    const std::string display = std::getenv("DISPLAY") ? std::getenv("DISPLAY") : "";
    unsetenv("DISPLAY");
    ProgramUnderTest program(VELMORA_BUILD_DIR);
    const auto code = program.waitForExit(20.0);
    setenv("DISPLAY", display.c_str(), 1);
    ASSERT_TRUE(code.has_value());
    EXPECT_EQ(*code, 1);
    EXPECT_NE(program.standardError().find("no display"), std::string::npos)
        << program.standardError();
}

TEST(EndToEnd, MissingEffectFileExitsWith255AndSaysWhy) {
    const fs::path folder = fs::temp_directory_path() / "velmora-e2e-no-effect";
    fs::remove_all(folder);
    fs::create_directories(folder / "bin");
    ProgramUnderTest program(folder.string());
    const auto code = program.waitForExit(30.0);
    ASSERT_TRUE(code.has_value());
    EXPECT_EQ(*code, 255);
    EXPECT_NE(program.standardError().find("bin/min.fx"), std::string::npos)
        << program.standardError();
    fs::remove_all(folder);
}

}  // namespace
}  // namespace velmora::test
