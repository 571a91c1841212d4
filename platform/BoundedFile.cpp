#include "platform/BoundedFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace velmora {
namespace {

std::string reason(const char* what) {
    return std::string(what) + ": " + std::strerror(errno);
}

/// "64 MiB", "1 KiB" or "100 bytes".
std::string sizeText(std::uint64_t bytes) {
    if (bytes != 0 && bytes % (1u << 20) == 0) {
        return std::to_string(bytes >> 20) + " MiB";
    }
    if (bytes != 0 && bytes % (1u << 10) == 0) {
        return std::to_string(bytes >> 10) + " KiB";
    }
    return std::to_string(bytes) + " bytes";
}

}  // namespace

BoundedFile::BoundedFile(const std::string& path, std::uint64_t maxBytes) {
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        openFailed_ = true;
        error_ = reason("cannot open");
        return;
    }
    struct stat status {};
    if (fstat(fd, &status) != 0) {
        error_ = reason("cannot read");
    } else if (S_ISDIR(status.st_mode)) {
        error_ = "is a folder";
    } else if (!S_ISREG(status.st_mode)) {
        error_ = "is not a regular file";
    } else if (static_cast<std::uint64_t>(status.st_size) > maxBytes) {
        error_ = "is larger than " + sizeText(maxBytes) + " (" + std::to_string(status.st_size) +
                 " bytes)";
    } else {
        // Reads of a regular file never wait, but the stream handed on should not say so.
        fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
        fd_ = fd;
        size_ = static_cast<std::uint64_t>(status.st_size);
        return;
    }
    close(fd);
}

BoundedFile::~BoundedFile() {
    if (fd_ >= 0) {
        close(fd_);
    }
}

bool BoundedFile::readAll(std::string& contents) {
    if (fd_ < 0) {
        return false;
    }
    contents.assign(static_cast<std::size_t>(size_), '\0');
    std::size_t got = 0;
    while (got < contents.size()) {
        const ssize_t n = read(fd_, contents.data() + got, contents.size() - got);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            error_ = reason("cannot read");
            return false;
        }
        if (n == 0) {
            break;
        }
        got += static_cast<std::size_t>(n);
    }
    char extra = 0;
    if (got < contents.size() || read(fd_, &extra, 1) != 0) {
        error_ = "changed while it was read";
        return false;
    }
    return true;
}

std::FILE* BoundedFile::releaseStream() {
    std::FILE* stream = fd_ >= 0 ? fdopen(fd_, "rb") : nullptr;
    if (stream != nullptr) {
        fd_ = -1;
    }
    return stream;
}

bool readBoundedFile(const std::string& path, std::uint64_t maxBytes, std::string& contents,
                     std::string& error) {
    BoundedFile file(path, maxBytes);
    if (!file.readAll(contents)) {
        error = file.error();
        return false;
    }
    return true;
}

}  // namespace velmora
