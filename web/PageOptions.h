#pragma once
// The page's options, from its address's query string: ?scene=lattice:5x5x5&paused&
// frame-time=0.0166667&replay=URL&no-overlay&size=1024x768&history-mb=128. They mean what the
// program's options of the same names mean and are checked by the same rules; replay names a
// recording to fetch instead of a file.
#include <optional>
#include <string>
#include <string_view>

#include "app/CommandLine.h"

namespace velmora {

/// The longest query string read, bytes; a longer one is refused rather than cut.
inline constexpr std::size_t kLongestPageQuery = 4096;

struct PageOptions {
    CommandLine program;  ///< scene, paused, frameTime, overlay, size, historyMegabytes
    std::string replay;   ///< the recording's address, as given; empty: none
};

/// The query string with or without its leading '?'. On an option the page does not know,
/// a repeated or bad one, or bad percent-encoding: nothing, and one line in error.
std::optional<PageOptions> parsePageQuery(std::string_view query, std::string& error);

/// application/x-www-form-urlencoded decoding: %XX and '+' for a space; false on a broken
/// escape or a NUL.
bool percentDecode(std::string_view text, std::string& out);

}  // namespace velmora
