#include "render/ByteReader.h"

#include <algorithm>
#include <cstring>

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

}  // namespace velmora
