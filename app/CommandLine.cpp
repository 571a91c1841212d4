#include "app/CommandLine.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>

namespace velmora {
namespace {

bool parseFrameCount(const std::string& text, long& out) {
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

bool endsWithPng(const std::string& name) {
    if (name.size() < 5) {
        return false;
    }
    std::string tail = name.substr(name.size() - 4);
    for (char& c : tail) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return tail == ".png";
}

}  // namespace

std::optional<CommandLine> parseCommandLine(const std::vector<std::string>& args,
                                            std::string& error) {
    CommandLine result;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool hasValue = i + 1 < args.size();
        if (arg == "--frames") {
            long n = 0;
            if (!hasValue || !parseFrameCount(args[i + 1], n)) {
                error = "--frames needs a whole number of passes, 1 or more";
                return std::nullopt;
            }
            result.frames = n;
            ++i;
        } else if (arg == "--screenshot") {
            if (!hasValue || !endsWithPng(args[i + 1])) {
                error = "--screenshot needs a file name ending in .png";
                return std::nullopt;
            }
            result.screenshot = args[i + 1];
            ++i;
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
    if (result.headless && !result.screenshot.empty()) {
        error = "--screenshot needs a display; --headless draws no pixels";
        return std::nullopt;
    }
    return result;
}

std::string usageText() {
    return "usage: velmora [--frames N] [--screenshot FILE.png] [--headless] [--help] "
           "[--version]\n"
           "  --frames N             quit after N passes\n"
           "  --screenshot FILE.png  write the last frame drawn to FILE.png\n"
           "  --headless             no window and no display: scripted input, recorded "
           "drawing\n"
           "  --help                 show this text\n"
           "  --version              show the version\n"
           "Run from the folder that holds bin/ (bin/min.fx and the pictures).\n";
}

}  // namespace velmora
