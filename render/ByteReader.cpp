#include "render/ByteReader.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace velmora {

std::size_t MemoryByteReader::read(void* out, std::size_t count) {
    const std::size_t n = std::min(count, size_ - position_);
    if (n > 0) {
        std::memcpy(out, data_ + position_, n);
    }
    position_ += n;
    return n;
}

bool MemoryByteReader::seek(std::uint64_t offset) {
    position_ = static_cast<std::size_t>(std::min<std::uint64_t>(offset, size_));
    return offset <= size_;
}

FileByteReader::FileByteReader(const char* fileName) {
    if (fileName == nullptr) {
        return;
    }
    file_ = std::fopen(fileName, "rb");
    if (file_ == nullptr) {
        return;
    }
    // The size only bounds seeks; a source whose end cannot be found (a directory, a pipe)
    // counts as empty, so every read of it comes back short.
    if (std::fseek(file_, 0, SEEK_END) == 0) {
        const long end = std::ftell(file_);
        size_ = end > 0 ? static_cast<std::uint64_t>(end) : 0;
    }
    if (std::fseek(file_, 0, SEEK_SET) != 0) {
        size_ = 0;
    }
}

FileByteReader::~FileByteReader() {
    if (file_ != nullptr) {
        std::fclose(file_);
    }
}

std::size_t FileByteReader::read(void* out, std::size_t count) {
    if (file_ == nullptr) {
        return 0;
    }
    const std::size_t n = static_cast<std::size_t>(
        std::min<std::uint64_t>(count, size_ > position_ ? size_ - position_ : 0));
    const std::size_t got = n > 0 ? std::fread(out, 1, n, file_) : 0;
    position_ += got;
    return got;
}

bool FileByteReader::seek(std::uint64_t offset) {
    if (file_ == nullptr) {
        return false;
    }
    const std::uint64_t target = std::min(offset, size_);
    if (target > static_cast<std::uint64_t>(std::numeric_limits<long>::max()) ||
        std::fseek(file_, static_cast<long>(target), SEEK_SET) != 0) {
        return false;
    }
    position_ = target;
    return offset <= size_;
}

}  // namespace velmora
