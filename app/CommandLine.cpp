#include "app/CommandLine.h"

#include "app/Application.h"
#include "app/VideoWriter.h"

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <string_view>
#include <system_error>
#include <utility>

#include "scenes/SceneSource.h"

namespace velmora {
namespace {

/// The longest fixed frame time accepted, seconds.
constexpr float kMaxFrameTime = 60.0f;

bool parseWholeNumber(const std::string& text, long& out) {
    if (text.empty() || text[0] == '-' || text[0] == '+') {
        return false;
    }
    char* end = nullptr;
    errno = 0;
    const long value = std::strtol(text.c_str(), &end, 10);
    if (errno != 0 || end == text.c_str() || *end != '\0' || value < 1) {
        return false;
    }
    out = value;
    return true;
}

bool parseFrameTime(const std::string& text, float& out) {
    if (text.empty() || std::isspace(static_cast<unsigned char>(text[0]))) {
        return false;
    }
    char* end = nullptr;
    errno = 0;
    const float value = std::strtof(text.c_str(), &end);
    if (errno != 0 || end == text.c_str() || *end != '\0' || !std::isfinite(value) ||
        value < 0.0f || value > kMaxFrameTime) {
        return false;
    }
    out = value;
    return true;
}

/// The client area's sides, pixels: a picture too small to show the overlay's corner is no
/// use, and a larger one than a graphics device can hold fails to start.
constexpr int kSmallestSide = 64;
constexpr int kLargestSide = 8192;

/// "WxH", two whole numbers of pixels within the sides' range.
bool parseSize(const std::string& text, int& width, int& height) {
    const std::size_t x = text.find('x');
    long w = 0, h = 0;
    if (x == std::string::npos || !parseWholeNumber(text.substr(0, x), w) ||
        !parseWholeNumber(text.substr(x + 1), h) || w < kSmallestSide || h < kSmallestSide ||
        w > kLargestSide || h > kLargestSide) {
        return false;
    }
    width = static_cast<int>(w);
    height = static_cast<int>(h);
    return true;
}

/// Whether two paths name one file: the same file now, or the same place once created.
bool samePlace(const std::string& a, const std::string& b) {
    namespace fs = std::filesystem;
    std::error_code error;
    if (fs::equivalent(a, b, error)) {
        return true;
    }
    const fs::path left = fs::weakly_canonical(a, error);
    if (error) {
        return false;
    }
    const fs::path right = fs::weakly_canonical(b, error);
    return !error && left == right;
}

/// A file name with something before the extension, which is matched without regard to case.
bool endsWith(const std::string& name, std::string_view extension) {
    if (name.size() <= extension.size()) {
        return false;
    }
    std::string tail = name.substr(name.size() - extension.size());
    for (char& c : tail) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return tail == extension;
}

}  // namespace

std::optional<CommandLine> parseCommandLine(const std::vector<std::string>& args,
                                            std::string& error) {
    CommandLine result;
    std::set<std::string> seen;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool hasValue = i + 1 < args.size();
        const std::string& value = hasValue ? args[i + 1] : arg;
        // A second copy of an option would silently override or duplicate the first.
        if (!seen.insert(arg == "-h" ? "--help" : arg).second) {
            error = "option '" + arg + "' given twice";
            return std::nullopt;
        }
        if (arg == "--frames") {
            long n = 0;
            if (!hasValue || !parseWholeNumber(value, n)) {
                error = "--frames needs a whole number of passes, 1 or more";
                return std::nullopt;
            }
            result.frames = n;
            ++i;
        } else if (arg == "--frame-time") {
            float seconds = 0.0f;
            if (!hasValue || !parseFrameTime(value, seconds)) {
                error = "--frame-time needs a number of seconds from 0 to 60";
                return std::nullopt;
            }
            result.frameTime = seconds;
            ++i;
        } else if (arg == "--screenshot") {
            if (!hasValue || !endsWith(value, ".png")) {
                error = "--screenshot needs a file name ending in .png";
                return std::nullopt;
            }
            result.screenshot = value;
            ++i;
        } else if (arg == "--scene") {
            if (!hasValue || value.empty()) {
                error = "--scene needs a scene name or a scene file";
                return std::nullopt;
            }
            result.scene = value;
            ++i;
        } else if (arg == "--save-scene") {
            // Ending in .json, the saved file is also what --scene takes for a file.
            if (!hasValue || !value.ends_with(".json") || value.size() <= 5) {
                error = "--save-scene needs a file name ending in .json";
                return std::nullopt;
            }
            result.saveScene = value;
            ++i;
        } else if (arg == "--paused") {
            result.paused = true;
        } else if (arg == "--record" || arg == "--replay") {
            if (!hasValue || value.empty() || value.starts_with("--")) {
                error = arg + " needs a file name";
                return std::nullopt;
            }
            (arg == "--record" ? result.record : result.replay) = value;
            ++i;
        } else if (arg == "--size") {
            result.sizeGiven = true;
            if (!hasValue || !parseSize(value, result.width, result.height)) {
                error = "--size needs WIDTHxHEIGHT in pixels, each from " +
                        std::to_string(kSmallestSide) + " to " + std::to_string(kLargestSide);
                return std::nullopt;
            }
            ++i;
        } else if (arg == "--save-folder") {
            if (!hasValue || value.empty() || value.starts_with("--")) {
                error = "--save-folder needs a folder";
                return std::nullopt;
            }
            result.saveFolder = value;
            ++i;
        } else if (arg == "--history-mb") {
            long megabytes = 0;
            if (!hasValue || !parseWholeNumber(value, megabytes) ||
                megabytes > kMostHistoryMegabytes) {
                error = "--history-mb needs a whole number of megabytes from 1 to " +
                        std::to_string(kMostHistoryMegabytes);
                return std::nullopt;
            }
            result.historyMegabytes = static_cast<int>(megabytes);
            ++i;
        } else if (arg == "--video") {
            if (!hasValue || !videoFormatOf(value)) {
                error = "--video needs a file name ending in .mp4 or .webm, or NAME%04d.png";
                return std::nullopt;
            }
            result.video = value;
            ++i;
        } else if (arg == "--no-overlay") {
            result.overlay = false;
        } else if (arg == "--window") {
            result.window = true;
        } else if (arg == "--headless") {
            result.headless = true;
        } else if (arg == "--help" || arg == "-h") {
            result.help = true;
        } else if (arg == "--version") {
            result.version = true;
        } else {
            error = "unknown option '" + arg + "'";
            return std::nullopt;
        }
    }
    if (!result.replay.empty()) {
        // A replay takes its scene, start, frame times and length from the recording.
        for (const char* clash : {"--scene", "--paused", "--frame-time", "--frames", "--record",
                                  "--headless", "--size", "--history-mb"}) {
            // The size of the window is the recording's; a video may have its own.
            if (seen.contains(clash) &&
                !(clash == std::string("--size") && !result.video.empty())) {
                error = std::string(clash) + " cannot go with --replay: the recording decides";
                return std::nullopt;
            }
        }
        result.headless = !result.window;
    } else if (result.window) {
        error = "--window goes with --replay";
        return std::nullopt;
    }
    // An output never replaces an input: the run would destroy what it reads.
    const std::string sceneFile = namesSceneFile(result.scene) ? result.scene : "";
    for (const auto& [output, outputName] : {std::pair{&result.record, "--record"},
                                             {&result.saveScene, "--save-scene"},
                                             {&result.screenshot, "--screenshot"},
                                             {&result.video, "--video"}}) {
        for (const auto& [input, inputName] :
             {std::pair{&sceneFile, "--scene"}, {&result.replay, "--replay"}}) {
            if (!output->empty() && !input->empty() && samePlace(*output, *input)) {
                error = std::string(outputName) + " names the " + inputName +
                        " file; it would be replaced";
                return std::nullopt;
            }
        }
    }
    return result;
}

void startAsAsked(Application& app, const CommandLine& options, SceneDescription scene) {
    app.fixedFrameTime = options.frameTime;
    app.startingScene = std::move(scene);
    app.sceneName = options.scene;
    app.startsPaused = options.paused;
    app.historyBudgetBytes =
        historyBudgetBytes(options.historyMegabytes.value_or(kDefaultHistoryMegabytes));
}

}  // namespace velmora
