#include "platform/AtomicFile.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
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

/// Why path may not be replaced, or nothing: only a regular file, or no file, may be.
const char* refusal(const std::string& path) {
    if (path.empty()) {
        return "no file name";
    }
    struct stat status {};
    if (lstat(path.c_str(), &status) != 0) {
        return nullptr;  // nothing there yet; a missing folder shows when the file is made
    }
    if (S_ISREG(status.st_mode)) {
        return nullptr;
    }
    if (S_ISDIR(status.st_mode)) {
        return "it is a folder";
    }
    if (S_ISLNK(status.st_mode)) {
        return "it is a symbolic link, which would be replaced rather than followed";
    }
    return "it is not a regular file (a device, a pipe or a socket)";
}

std::string temporaryName(const std::string& path, int attempt) {
    return path + ".tmp-" + std::to_string(getpid()) + "-" + std::to_string(attempt);
}

/// Removes the temporary names of path that processes now gone left behind.
void removeLeftovers(const std::string& path) {
    const std::string folder = folderOf(path);
    const std::size_t slash = path.rfind('/');
    const std::string prefix =
        (slash == std::string::npos ? path : path.substr(slash + 1)) + ".tmp-";
    DIR* dir = opendir(folder.c_str());
    if (dir == nullptr) {
        return;
    }
    while (const dirent* entry = readdir(dir)) {
        const std::string name = entry->d_name;
        if (name.compare(0, prefix.size(), prefix) != 0) {
            continue;
        }
        char* end = nullptr;
        const long pid = std::strtol(name.c_str() + prefix.size(), &end, 10);
        if (pid <= 0 || end == nullptr || *end != '-' || pid == getpid()) {
            continue;
        }
        if (kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH) {
            unlink((folder + "/" + name).c_str());
        }
    }
    closedir(dir);
}

/// A temporary file in path's folder: unnamed where the file system allows (name stays empty),
/// else under a name that did not exist before.
int openTemporary(const std::string& path, std::string& name, std::string& error) {
    if (const char* why = refusal(path)) {
        error = why;
        return -1;
    }
    name.clear();
    int fd = open(folderOf(path).c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
    if (fd >= 0) {
        return fd;
    }
    if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) {
        error = reason(("cannot create a file in " + folderOf(path)).c_str());
        return -1;
    }
    for (int attempt = 0; attempt < kTemporaryNameAttempts; ++attempt) {
        name = temporaryName(path, attempt);
        fd = open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
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

/// Gives the unnamed file open at fd a temporary name beside path.
bool nameTemporary(int fd, const std::string& path, std::string& name, std::string& error) {
    const std::string self = "/proc/self/fd/" + std::to_string(fd);
    for (int attempt = 0; attempt < kTemporaryNameAttempts; ++attempt) {
        name = temporaryName(path, attempt);
        if (linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0) {
            return true;
        }
        if (errno != EEXIST) {
            break;
        }
    }
    name.clear();
    error = reason("cannot name the new file");
    return false;
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
    removeLeftovers(path);
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
    } else if (temporary.empty()) {
        ok = nameTemporary(fd, path, temporary, error);
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
        if (!temporary.empty()) {
            unlink(temporary.c_str());
        }
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
    if (!temporary.empty()) {
        unlink(temporary.c_str());
    }
    return true;
}

}  // namespace velmora
