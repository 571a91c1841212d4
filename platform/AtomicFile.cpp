#include "platform/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace velmora {
namespace {

/// Tries this many names for the temporary file before giving up.
constexpr int kTemporaryNameAttempts = 100;

std::string folderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string reason(const char* what) {
    return std::string(what) + ": " + std::strerror(errno);
}

bool isFolder(const std::string& path) {
    struct stat status {};
    return stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

/// Opens a new file beside path, named after it, that did not exist before; refuses a path
/// that names no file or a folder, which the rename could never replace.
int openTemporary(const std::string& path, std::string& name, std::string& error) {
    if (path.empty() || isFolder(path)) {
        error = path.empty() ? "no file name" : "it is a folder";
        return -1;
    }
    for (int attempt = 0; attempt < kTemporaryNameAttempts; ++attempt) {
        name = path + ".tmp-" + std::to_string(getpid()) + "-" + std::to_string(attempt);
        const int fd = open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            return fd;
        }
        if (errno != EEXIST) {
            error = reason(("cannot create a file in " + folderOf(path)).c_str());
            return -1;
        }
    }
    error = "cannot find a free temporary name beside " + path;
    return -1;
}

/// Makes the rename itself durable. Some file systems refuse to sync a folder; the file is in
/// place by then, so that is not a failure of the save.
void syncFolder(const std::string& folder) {
    const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        fsync(fd);
        close(fd);
    }
}

}  // namespace

bool writeAllBytes(int fd, const void* data, std::size_t size) {
    const char* bytes = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t written = write(fd, bytes, size);
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        bytes += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

bool replaceFile(const std::string& path, std::string_view contents, std::string& error,
                 WriteBytesFn writeBytes) {
    std::string temporary;
    const int fd = openTemporary(path, temporary, error);
    if (fd < 0) {
        return false;
    }
    // The old file is touched only by the rename, after the new bytes are on the disk.
    bool ok = writeBytes(fd, contents.data(), contents.size());
    if (!ok) {
        error = reason("cannot write");
    } else if (fsync(fd) != 0) {
        ok = false;
        error = reason("cannot flush to disk");
    }
    if (close(fd) != 0 && ok) {
        ok = false;
        error = reason("cannot close");
    }
    if (ok && rename(temporary.c_str(), path.c_str()) != 0) {
        ok = false;
        error = reason("cannot rename over the target");
    }
    if (!ok) {
        const int saved = errno;
        unlink(temporary.c_str());
        errno = saved;
        return false;
    }
    syncFolder(folderOf(path));
    return true;
}

bool canReplaceFile(const std::string& path, std::string& error) {
    std::string temporary;
    const int fd = openTemporary(path, temporary, error);
    if (fd < 0) {
        return false;
    }
    close(fd);
    unlink(temporary.c_str());
    return true;
}

}  // namespace velmora
