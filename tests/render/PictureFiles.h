#pragma once
// Small BMP and TGA builders, and a private temporary folder for the files tests write.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

namespace velmora::testing {

using Bytes = std::vector<std::uint8_t>;

inline void put(Bytes& out, std::uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    }
}

/// A distinct byte for channel c of the pixel in column x of stored row r.
inline std::uint8_t channel(int x, int r, int c) {
    return static_cast<std::uint8_t>(1 + x * 16 + r * 4 + c);
}

/// Rows of channel() pixels, each padded with zeros up to rowBytes.
inline Bytes pixelRows(int width, int rows, int pixelBytes, std::size_t rowBytes) {
    Bytes out;
    for (int r = 0; r < rows; ++r) {
        for (int x = 0; x < width * pixelBytes; ++x) {
            out.push_back(channel(x / pixelBytes, r, x % pixelBytes));
        }
        out.resize((r + 1) * rowBytes, 0);
    }
    return out;
}

struct BmpSpec {
    std::int32_t width = 1;
    std::int32_t height = 1;
    std::uint16_t bitCount = 24;
    std::uint32_t compression = 0;
    std::uint32_t headerSize = 40;
    Bytes between;                            ///< between the header and the pixels
    std::optional<std::uint32_t> dataOffset;  ///< default: right after `between`
    Bytes pixels;
};

inline Bytes bmpFile(const BmpSpec& s) {
    const auto before = static_cast<std::uint32_t>(54 + s.between.size());
    Bytes out{'B', 'M'};
    for (std::uint32_t v :
         {before + static_cast<std::uint32_t>(s.pixels.size()), 0u, s.dataOffset.value_or(before),
          s.headerSize, static_cast<std::uint32_t>(s.width),
          static_cast<std::uint32_t>(s.height)}) {
        put(out, v, 4);
    }
    put(out, 1, 2);
    put(out, s.bitCount, 2);
    put(out, s.compression, 4);
    out.resize(54, 0);
    out.insert(out.end(), s.between.begin(), s.between.end());
    out.insert(out.end(), s.pixels.begin(), s.pixels.end());
    return out;
}

/// A BMP of channel() pixels in rows padded as the file format wants.
inline BmpSpec bmpPicture(int width, int height, std::uint16_t bits = 24) {
    const std::size_t rowBytes = (static_cast<std::size_t>(width) * bits / 8 + 3) & ~std::size_t{3};
    return {width, height, bits, 0,
            40,    {},     {},   pixelRows(width, std::abs(height), bits / 8, rowBytes)};
}

struct TgaSpec {
    std::uint8_t imageType = 2;
    std::uint16_t width = 1;
    std::uint16_t height = 1;
    std::uint8_t depth = 24;
    Bytes body;
};

inline Bytes tgaFile(const TgaSpec& s) {
    Bytes out{0, 0, s.imageType};
    out.resize(12, 0);
    put(out, s.width, 2);
    put(out, s.height, 2);
    put(out, s.depth, 1);
    put(out, 0, 1);
    out.insert(out.end(), s.body.begin(), s.body.end());
    return out;
}

/// An uncompressed TGA of channel() pixels, rows unpadded.
inline TgaSpec tgaPicture(std::uint16_t width, std::uint16_t height, std::uint8_t depth = 24) {
    return {2, width, height, depth, pixelRows(width, height, depth / 8, width * depth / 8u)};
}

/// A folder of its own under the system's temporary folder, removed with the object.
class TempFolder {
  public:
    TempFolder() { std::filesystem::create_directories(path_); }
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    std::string path(const std::string& name) const { return (path_ / name).string(); }
    /// Writes bytes or text (anything with data() and size()) and gives the file's path.
    template <typename Contents>
    std::string write(const std::string& name, const Contents& bytes) const {
        std::ofstream(path_ / name, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
        return path(name);
    }

  private:
    static inline int serial_ = 0;
    std::filesystem::path path_ =
        std::filesystem::temp_directory_path() /
        ("velmora-test-" + std::to_string(::getpid()) + "-" + std::to_string(serial_++));
};

}  // namespace velmora::testing
