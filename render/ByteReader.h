#pragma once
// Bounded sequential input for the picture readers. A read returns how many bytes were
// really there and never more than asked, so no size or count taken from a file can make a
// reader go past the data it has. Files are read whole first (render/Image.cpp), so the one
// reader reads memory.
#include <cstddef>
#include <cstdint>

namespace velmora {

class ByteReader {
  public:
    virtual ~ByteReader() = default;
    /// Copies up to count bytes into out; returns how many were available.
    virtual std::size_t read(void* out, std::size_t count) = 0;
    /// Moves to an absolute byte offset, clamped to the end. False when it lay past the end.
    virtual bool seek(std::uint64_t offset) = 0;
    virtual std::uint64_t position() const = 0;
    /// Total bytes in the source.
    virtual std::uint64_t size() const = 0;

    /// Skips count bytes (clamped to the end); false when fewer were left.
    bool skip(std::uint64_t count) {
        const std::uint64_t here = position();
        const std::uint64_t left = size() > here ? size() - here : 0;
        return seek(count > left ? size() : here + count) && count <= left;
    }
};

/// Reads from a caller's buffer, which must outlive the reader.
class MemoryByteReader final : public ByteReader {
  public:
    MemoryByteReader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    std::size_t read(void* out, std::size_t count) override;
    bool seek(std::uint64_t offset) override;
    std::uint64_t position() const override { return position_; }
    std::uint64_t size() const override { return size_; }

  private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t position_ = 0;
};

}  // namespace velmora
