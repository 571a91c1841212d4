// Pictures and videos in the page: the desktop writes them with libpng and libavcodec, which
// the page does not carry, and the WebGL device keeps no frame to write. F12 and F9 say so
// instead of failing silently; a browser records its own tab.
#include "app/PngWriter.h"
#include "app/VideoWriter.h"

namespace velmora {
namespace {
constexpr const char* kNotInPage =
    "pictures and videos are made by the desktop program, not in the page";
}  // namespace

struct VideoWriter::Encoder {};

std::optional<VideoFormat> videoFormatOf(const std::string&) {
    return std::nullopt;
}

VideoWriter::VideoWriter() = default;
VideoWriter::~VideoWriter() = default;

bool VideoWriter::open(const std::string& path, int, int, double, std::string& error) {
    path_ = path;
    error = kNotInPage;
    return false;
}

bool VideoWriter::addFrame(const std::vector<std::uint32_t>&, int, int, double,
                           std::string& error) {
    error = kNotInPage;
    return false;
}

bool VideoWriter::finish(std::string& error) {
    error = kNotInPage;
    return false;
}

bool writePng(const std::string&, const std::vector<std::uint32_t>&, std::uint32_t, std::uint32_t,
              std::string& error, bool) {
    error = kNotInPage;
    return false;
}

}  // namespace velmora
