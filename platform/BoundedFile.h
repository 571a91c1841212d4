#pragma once
// Reading a file from disk with a bound: the one way the program reads the files it is given
// (pictures, effects, scenes, session recordings). Only a regular file of at most the size the
// caller allows is read; anything else is refused at once, with one reason in a few words.
// The file is opened without blocking, so a FIFO cannot stall the open, and checked with fstat
// before a byte is read, so a device such as /dev/zero or a huge sparse file is refused rather
// than read without end.
// Implements: POSIX (open with O_NONBLOCK, fstat, read). Depends on: the C library only.
#include <cstdint>
#include <cstdio>
#include <string>

namespace velmora {

/// A file opened for reading: a regular file of at most maxBytes bytes, or not open.
class BoundedFile {
  public:
    BoundedFile(const std::string& path, std::uint64_t maxBytes);
    ~BoundedFile();
    BoundedFile(const BoundedFile&) = delete;
    BoundedFile& operator=(const BoundedFile&) = delete;

    bool isOpen() const { return fd_ >= 0; }
    /// The open itself failed (no such file, no permission): there was nothing to check.
    bool openFailed() const { return openFailed_; }
    /// Why the file is not open or the last read failed: "cannot open: No such file or
    /// directory", "is a folder", "is not a regular file", "is larger than 64 MiB (N bytes)",
    /// "cannot read: ...", "changed while it was read".
    const std::string& error() const { return error_; }

    /// The whole file; false, with error() set, when a read fails or the size changed.
    bool readAll(std::string& contents);
    /// Hands the file over as a stdio stream that the caller closes; null when not open.
    std::FILE* releaseStream();

  private:
    int fd_ = -1;
    bool openFailed_ = false;
    std::uint64_t size_ = 0;  ///< bytes, as fstat found them
    std::string error_;
};

/// The whole of path into contents; false with error saying why (see BoundedFile::error).
bool readBoundedFile(const std::string& path, std::uint64_t maxBytes, std::string& contents,
                     std::string& error);

}  // namespace velmora
