// The real program on a private Xvfb screen: started from its build folder, driven with
// xdotool like a user, judged by its exit code and by pixels (0xRRGGBB, rows top down).
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
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

/// Bounds, client pixels, of the overlay's status corner at the top left: its frame rate and
/// physics time change from frame to frame, so comparisons of the scene leave it out.
constexpr int kStatusCornerRight = 260;
constexpr int kStatusCornerBottom = 120;

bool inStatusCorner(int x, int y) {
    return x < kStatusCornerRight && y < kStatusCornerBottom;
}

/// Share of pixels outside the status corner that differ between two pictures of one size.
double differingShare(const Picture& a, const Picture& b) {
    if (a.width != b.width || a.height != b.height || a.pixels.empty())
        return 1.0;
    std::size_t differing = 0;
    for (std::size_t i = 0; i < a.pixels.size(); ++i) {
        const int x = static_cast<int>(i % static_cast<std::size_t>(a.width));
        const int y = static_cast<int>(i / static_cast<std::size_t>(a.width));
        differing += a.pixels[i] != b.pixels[i] && !inStatusCorner(x, y) ? 1 : 0;
    }
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

bool isLinkGrey(std::uint32_t p) {
    const int r = red(p), g = green(p), b = blue(p);
    return r > 150 && std::abs(r - g) < 16 && std::abs(g - b) < 16;
}

/// Polls until the condition holds, for at most the given time.
bool within(double seconds, const std::function<bool()>& condition) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (std::chrono::steady_clock::now() < end) {
        if (condition())
            return true;
        sleepSeconds(0.05);
    }
    return condition();
}

struct Vec {
    double x = 0, y = 0, z = 0;
};
Vec operator+(Vec a, Vec b) {
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}
Vec operator-(Vec a, Vec b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
Vec operator*(Vec a, double k) {
    return {a.x * k, a.y * k, a.z * k};
}
double dot(Vec a, Vec b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}
Vec unit(Vec a) {
    return a * (1.0 / std::sqrt(dot(a, a)));
}

/// The camera at its start pose (eye (0, 0, 25), target (0, 0.1, 0), 60 degrees, 800 x 600),
/// written out here so that the pictures are judged against the geometry, not the program.
struct StartCamera {
    Vec eye{0, 0, 25};
    Vec forward = unit(Vec{0, 0.1, -25});
    Vec right{1, 0, 0};                // forward x (0, 1, 0), normalised
    Vec up{0, -forward.z, forward.y};  // right x forward
    double tanHalf = std::tan(60.0 * 0.017453 * 0.5);

    /// Client pixel (x right, y down) of a world point in front of the camera.
    Vec pixelOf(Vec world) const {
        const Vec d = world - eye;
        const double depth = dot(d, forward);
        return {400.0 + 300.0 * dot(d, right) / (depth * tanHalf),
                300.0 - 300.0 * dot(d, up) / (depth * tanHalf), depth};
    }
    /// The world point on the plane z = 0 under a client pixel.
    Vec onPlaneZ0(double x, double y) const {
        const Vec ray = forward + right * ((x - 400.0) / 300.0 * tanHalf) +
                        up * ((300.0 - y) / 300.0 * tanHalf);
        return eye + ray * (-eye.z / ray.z);
    }
};

/// The mean position of the pixels passing a test within a square around a point; z counts
/// them.
template <typename Test>
Vec centroid(const Picture& picture, Vec around, int halfSide, Test test) {
    Vec sum;
    const int cx = static_cast<int>(std::lround(around.x));
    const int cy = static_cast<int>(std::lround(around.y));
    for (int y = std::max(0, cy - halfSide); y <= cy + halfSide && y < picture.height; ++y) {
        for (int x = std::max(0, cx - halfSide); x <= cx + halfSide && x < picture.width; ++x) {
            if (test(picture.pixels[static_cast<std::size_t>(y) * picture.width + x])) {
                sum = sum + Vec{static_cast<double>(x), static_cast<double>(y), 1.0};
            }
        }
    }
    return sum.z == 0 ? sum : Vec{sum.x / sum.z, sum.y / sum.z, sum.z};
}

/// The pointer on the screen and the window's client origin, as the X server has them.
struct PointerProbe {
    PointerProbe() : display(XOpenDisplay(nullptr)) {}
    ~PointerProbe() {
        if (display != nullptr)
            XCloseDisplay(display);
    }
    PointerProbe(const PointerProbe&) = delete;
    PointerProbe& operator=(const PointerProbe&) = delete;

    /// The pointer in client pixels of the window.
    Vec inClient(unsigned long window) const {
        ::Window root = 0, child = 0;
        int rootX = 0, rootY = 0, x = 0, y = 0;
        unsigned int mask = 0;
        XQueryPointer(display, window, &root, &child, &rootX, &rootY, &x, &y, &mask);
        return {static_cast<double>(x), static_cast<double>(y), 0};
    }

    Display* display;
};

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

TEST(EndToEnd, FirstFrameShowsWoodOnEveryPanelAndLinesBetweenSpheres) {
    const fs::path shot = fs::temp_directory_path() / "velmora-e2e-room.png";
    fs::remove(shot);
    // One pass: the particles have barely left their starting places.
    ProgramUnderTest program(VELMORA_BUILD_DIR, {"--frames", "1", "--screenshot", shot.string()});
    const auto code = program.waitForExit(60.0);
    ASSERT_TRUE(code.has_value());
    ASSERT_EQ(*code, 0) << program.standardError();
    const Picture picture = readPng(shot.string());
    fs::remove(shot);
    ASSERT_EQ(picture.width, 800);
    ASSERT_EQ(picture.height, 600);
    const auto at = [&](Vec pixel) {
        return picture.pixels[static_cast<std::size_t>(std::lround(pixel.y)) * 800 +
                              static_cast<std::size_t>(std::lround(pixel.x))];
    };
    const StartCamera camera;

    // Points 2 units and more inside each panel's edges, on the side away from the
    // structure (x <= -2 on floor and ceiling), wherever they fall on the screen.
    struct Panel {
        const char* name;
        std::function<Vec(double, double)> point;
    };
    const Panel panels[] = {
        {"floor",
         [](double a, double b) {
             return Vec{-a - 1, -10, b};
         }},
        {"ceiling",
         [](double a, double b) {
             return Vec{-a - 1, 10, b};
         }},
        {"left wall",
         [](double a, double b) {
             return Vec{-10, a * 2 - 8, b};
         }},
        {"right wall",
         [](double a, double b) {
             return Vec{10, a * 2 - 8, b};
         }},
    };
    for (const Panel& panel : panels) {
        int seen = 0, wood = 0;
        for (double a = 1; a <= 7; a += 2) {
            for (double b = -6; b <= 6; b += 3) {
                const Vec pixel = camera.pixelOf(panel.point(a, b));
                if (pixel.x < 0 || pixel.x > 799 || pixel.y < 0 || pixel.y > 599)
                    continue;
                ++seen;
                wood += isWood(at(pixel)) ? 1 : 0;
            }
        }
        EXPECT_GE(seen, 10) << panel.name;
        EXPECT_EQ(wood, seen) << panel.name;
    }

    // The link 4-5 from (0, 7.5, 0) to the pinned particle at (5, 9.5, 0), and 0-1 from the
    // origin up to (0, 5, 0): along the middle of each, the grey line lies within two pixels.
    const Vec links[][2] = {{{0, 7.5, 0}, {5, 9.5, 0}}, {{0, 0, 0}, {0, 5, 0}}};
    for (const auto& [from, to] : links) {
        const Vec a = camera.pixelOf(from), b = camera.pixelOf(to);
        int samples = 0, onLine = 0;
        for (double t = 0.35; t <= 0.65; t += 0.05) {
            const Vec p = a + (b - a) * t;
            ++samples;
            onLine +=
                countPixels(picture, static_cast<int>(p.x) - 2, static_cast<int>(p.y) - 2,
                            static_cast<int>(p.x) + 3, static_cast<int>(p.y) + 3, isLinkGrey) > 0;
        }
        EXPECT_EQ(onLine, samples) << "link from (" << from.x << ", " << from.y << ")";
    }
}

TEST(EndToEnd, ADraggedParticleStaysWhereItWasDropped) {
    ProgramUnderTest program(VELMORA_BUILD_DIR);
    const unsigned long window = program.waitForWindow(30.0);
    ASSERT_NE(window, 0u) << program.standardError();
    const std::string id = std::to_string(window);
    ASSERT_TRUE(shell("xdotool windowfocus --sync " + id + " >/dev/null 2>&1"));
    const PointerProbe pointer;
    ASSERT_NE(pointer.display, nullptr);
    const auto moveTo = [&](double x, double y) {
        return shell("xdotool mousemove --window " + id + " " + std::to_string(std::lround(x)) +
                     " " + std::to_string(std::lround(y)));
    };
    const auto pointerAt = [&](double x, double y) {
        const Vec p = pointer.inClient(window);
        return p.x == x && p.y == y;
    };

    // Paused, so that nothing but the drag moves a particle. Tab goes in once the loop runs
    // (the picture changes): a press during start-up would come and go between two polls.
    Picture last = grabWindow(window);
    const auto picturesUntil = [&](bool changing) {
        return within(20.0, [&] {
            sleepSeconds(0.5);
            Picture next = grabWindow(window);
            const bool changed = differingShare(last, next) > 0.0;
            last = std::move(next);
            return changed == changing;
        });
    };
    ASSERT_TRUE(picturesUntil(true)) << "the picture never changed";
    ASSERT_TRUE(press("Tab"));
    ASSERT_TRUE(picturesUntil(false)) << "Tab did not pause";

    // A middle click on empty floor adds a particle on the plane z = 0 under the cursor.
    const StartCamera camera;
    const Vec click{250, 420};
    ASSERT_TRUE(moveTo(click.x, click.y));
    ASSERT_TRUE(press("2", true));
    Vec before;
    ASSERT_TRUE(within(10.0, [&] {
        before = centroid(grabWindow(window), click, 40, isOrange);
        return before.z > 800;
    })) << "no particle appeared at the click";
    EXPECT_NEAR(before.x, click.x, 3.0);
    EXPECT_NEAR(before.y, click.y, 3.0);

    // Grab it: the drag puts the cursor home (400, 300) at once.
    ASSERT_TRUE(shell("xdotool mousedown 1"));
    ASSERT_TRUE(within(10.0, [&] { return pointerAt(400, 300); }))
        << "the particle was not grabbed";
    // One step of 300 pixels right and 150 up moves it by 0.01 per pixel along the camera's
    // right and up. The program reads the cursor and sends it home within one pass; a move
    // that lands between the two is lost, and is made again.
    const Vec shift = camera.right * 3.0 + camera.up * 1.5;
    const Vec target = camera.pixelOf(camera.onPlaneZ0(click.x, click.y) + shift);
    const Vec expected = before + (target - click);
    bool moved = false;
    for (int attempt = 0; attempt < 3 && !moved; ++attempt) {
        ASSERT_TRUE(moveTo(700, 150));
        ASSERT_TRUE(within(10.0, [&] { return pointerAt(400, 300); }));
        moved = within(
            3.0, [&] { return centroid(grabWindow(window), expected, 30, isOrange).z > 800; });
    }
    ASSERT_TRUE(shell("xdotool mouseup 1"));
    ASSERT_TRUE(moved) << "the particle did not follow the cursor";

    // Released: the cursor moves freely, the particle stays where it was dropped.
    ASSERT_TRUE(moveTo(300, 500));
    ASSERT_TRUE(within(10.0, [&] { return pointerAt(300, 500); }));
    sleepSeconds(0.5);  // passes enough for a particle still held or moving to show it
    const Picture dropped = grabWindow(window);
    const Vec after = centroid(dropped, expected, 30, isOrange);
    EXPECT_NEAR(after.x, expected.x, 2.0);
    EXPECT_NEAR(after.y, expected.y, 2.0);
    EXPECT_LT(centroid(dropped, click, 15, isOrange).z, 50) << "a particle stayed at the click";
    EXPECT_TRUE(pointerAt(300, 500));

    ASSERT_TRUE(press("Escape"));
    const auto code = program.waitForExit(20.0);
    ASSERT_TRUE(code.has_value());
    EXPECT_EQ(*code, 0) << program.standardError();
}

TEST(EndToEnd, F1ShowsTheHelpPanelOverTheSceneAndChangesNothingElse) {
    // Paused, so only the overlay can change the picture.
    ProgramUnderTest program(VELMORA_BUILD_DIR, {"--paused", "--frame-time", "0.0166667"});
    const unsigned long window = program.waitForWindow(30.0);
    ASSERT_NE(window, 0u) << program.standardError();
    const std::string id = std::to_string(window);
    ASSERT_TRUE(shell("xdotool windowfocus --sync " + id + " >/dev/null 2>&1"));
    ASSERT_TRUE(shell("xdotool mousemove --window " + id + " 400 300"));
    sleepSeconds(1.0);
    const Picture closed = grabWindow(window);
    ASSERT_EQ(closed.width, 800);
    ASSERT_EQ(closed.height, 600);

    ASSERT_TRUE(press("F1"));
    Picture open;
    ASSERT_TRUE(within(10.0, [&] {
        open = grabWindow(window);
        return differingShare(closed, open) > 0.2;
    })) << "F1 showed no panel";
    sleepSeconds(0.5);  // the panel settles its layout over its first frames
    open = grabWindow(window);

    // The changed pixels: one block across the window below the status corner.
    int left = 800, top = 600, right = 0, bottom = 0, changed = 0;
    for (int y = 0; y < 600; ++y) {
        for (int x = 0; x < 800; ++x) {
            const std::size_t i = static_cast<std::size_t>(y) * 800 + x;
            if (closed.pixels[i] == open.pixels[i] || inStatusCorner(x, y))
                continue;
            ++changed;
            left = std::min(left, x);
            right = std::max(right, x + 1);
            top = std::min(top, y);
            bottom = std::max(bottom, y + 1);
        }
    }
    EXPECT_LE(left, 12);
    EXPECT_GE(right, 788);
    EXPECT_GE(top, 60);
    EXPECT_GE(bottom - top, 300);
    EXPECT_LE(bottom, 590);
    EXPECT_GT(changed, (right - left) * (bottom - top) * 9 / 10);
    // Everything outside it is the scene as it was: the sky and the wood at the bottom, and
    // no pixel of the room, the sky or the spheres has changed.
    for (int y = bottom; y < 600; ++y) {
        for (int x = 0; x < 800; ++x) {
            const std::size_t i = static_cast<std::size_t>(y) * 800 + x;
            ASSERT_EQ(closed.pixels[i], open.pixels[i]) << x << ", " << y;
        }
    }
    EXPECT_GT(countPixels(open, 0, bottom, 800, 600, isWood), 800 * (600 - bottom) / 3);
    EXPECT_GT(countPixels(open, 0, 0, 800, top, isSky), 0);
    // Text: light glyph pixels just right of dark panel pixels, many in both its columns; the
    // scene has hardly any such edges.
    const auto textEdges = [](const Picture& picture, int x0, int y0, int x1, int y1) {
        const auto light = [](std::uint32_t p) {
            return std::min({red(p), green(p), blue(p)}) > 180;
        };
        const auto dark = [](std::uint32_t p) {
            return std::max({red(p), green(p), blue(p)}) < 50;
        };
        int edges = 0;
        for (int y = y0; y < y1; ++y) {
            for (int x = x0 + 1; x < x1; ++x) {
                const std::size_t i = static_cast<std::size_t>(y) * 800 + x;
                edges += light(picture.pixels[i]) && dark(picture.pixels[i - 1]) ? 1 : 0;
            }
        }
        return edges;
    };
    for (const int column : {left, (left + right) / 2}) {
        const int x1 = column + (right - left) / 2;
        EXPECT_GT(textEdges(open, column, top, x1, bottom), 1000) << column;
        EXPECT_LT(textEdges(closed, column, top, x1, bottom), 50) << column;
    }

    ASSERT_TRUE(press("Escape"));
    const auto code = program.waitForExit(20.0);
    ASSERT_TRUE(code.has_value());
    EXPECT_EQ(*code, 0) << program.standardError();
}

TEST(EndToEnd, ARecordedSessionReplaysHeadlessToTheSameState) {
    const fs::path recording = fs::temp_directory_path() / "velmora-e2e-session.jsonl";
    fs::remove(recording);
    ProgramUnderTest program(VELMORA_BUILD_DIR, {"--record", recording.string()});
    const unsigned long window = program.waitForWindow(30.0);
    ASSERT_NE(window, 0u) << program.standardError();
    const std::string id = std::to_string(window);
    ASSERT_TRUE(shell("xdotool windowfocus --sync " + id + " >/dev/null 2>&1"));
    const auto clickAt = [&](int x, int y, const char* button) {
        return shell("xdotool mousemove --window " + id + " " + std::to_string(x) + " " +
                     std::to_string(y)) &&
               press(button, true);
    };
    Picture last = grabWindow(window);
    ASSERT_TRUE(within(20.0, [&] {
        sleepSeconds(0.3);
        Picture next = grabWindow(window);
        const bool changed = differingShare(last, next) > 0.0;
        last = std::move(next);
        return changed;
    })) << "the loop never ran";

    // Paused: spawn two particles on the floor's side of the structure, link them with two
    // right clicks, drag the second a little, then run again and quit.
    ASSERT_TRUE(press("Tab"));
    ASSERT_TRUE(clickAt(250, 420, "2"));
    ASSERT_TRUE(clickAt(320, 420, "2"));
    ASSERT_TRUE(clickAt(250, 420, "3"));
    ASSERT_TRUE(clickAt(320, 420, "3"));
    ASSERT_TRUE(shell("xdotool mousemove --window " + id + " 320 420 mousedown 1"));
    sleepSeconds(0.3);
    ASSERT_TRUE(shell("xdotool mousemove --window " + id + " 360 380"));
    sleepSeconds(0.3);
    ASSERT_TRUE(shell("xdotool mouseup 1"));
    ASSERT_TRUE(press("Tab"));
    sleepSeconds(1.0);
    ASSERT_TRUE(press("Escape"));
    const auto code = program.waitForExit(20.0);
    ASSERT_TRUE(code.has_value());
    ASSERT_EQ(*code, 0) << program.standardError();

    // The replay, headless, reaches the recorded state (exit 0) with the edits in it.
    std::string out;
    const std::string command = std::string("cd ") + VELMORA_BUILD_DIR + " && ./velmora --replay " +
                                recording.string() + " 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, pipe) != nullptr)
        out += buffer;
    const int status = pclose(pipe);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << out;
    EXPECT_NE(out.find("particles=12 links=31"), std::string::npos) << out;
    std::stringstream text;
    text << std::ifstream(recording).rdbuf();
    for (const char* edit : {"\"down\":[1]", "\"down\":[2]", "\"down\":[4]"}) {
        EXPECT_NE(text.str().find(edit), std::string::npos) << edit;
    }
    fs::remove(recording);
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
