#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace velmora {

/// Writes pixels (0xAARRGGBB, rows top to bottom) as an 8-bit RGB PNG, replacing the file
/// atomically. False, with the reason in error, when the file cannot be written (any old file
/// is then left as it was) or the size does not match. quick: zlib's fastest level, for a
/// picture a pass, at about twice the size.
bool writePng(const std::string& fileName, const std::vector<std::uint32_t>& pixels,
              std::uint32_t width, std::uint32_t height, std::string& error, bool quick = false);

}  // namespace velmora
