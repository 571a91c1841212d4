#pragma once
// Files for tests: a private temporary folder, reading a file's bytes, and patching them.
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <string>
#include <vector>

namespace velmora::testing {

using Bytes = std::vector<std::uint8_t>;

/// A file's bytes, or its text; none when it cannot be read.
template <typename Contents = Bytes>
Contents readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Contents(std::istreambuf_iterator<char>(in), {});
}
inline std::string readText(const std::string& path) {
    return readBytes<std::string>(path);
}

/// The bytes with each patch's `width` bytes at `offset` set to its value, little-endian
/// (negative values as two's complement).
struct Patch {
    std::size_t offset;
    std::int64_t value;
    int width;
};
inline Bytes patched(Bytes bytes, std::initializer_list<Patch> patches) {
    for (const auto& [offset, value, width] : patches) {
        for (int i = 0; i < width; ++i) {
            bytes.at(offset + i) = static_cast<std::uint8_t>(value >> (8 * i));
        }
    }
    return bytes;
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
