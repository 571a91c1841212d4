#pragma once
// Replacing a file so that readers see either the old contents or the new, never a part:
// the bytes go to a file without a name in the target's folder (Linux's O_TMPFILE), are
// flushed to the disk, get a temporary name and are renamed over the target; the folder is
// flushed last so the rename lasts. A process killed before the naming leaves nothing; one
// killed in the instant between naming and renaming leaves "TARGET.tmp-PID-N", which the next
// replacement of the same target removes once process PID is gone. Where the file system has
// no O_TMPFILE, the temporary file is named from the start.
// Only a regular file, or nothing, is ever replaced: a device, a pipe, a socket, a folder or a
// symbolic link at the target is refused.
// Implements: POSIX and Linux (open, O_TMPFILE, linkat, write, fsync, rename). Leaves out:
// keeping the old file's owner and permissions (the new file gets 0666 less the umask).
// Depends on: the C library only.
#include <cstddef>
#include <string>
#include <string_view>

namespace velmora {

/// Writes size bytes at data to the open file descriptor fd; false with errno set when it
/// cannot. The atomic writer calls it once for the whole contents.
using WriteBytesFn = bool (*)(int fd, const void* data, std::size_t size);

/// write(2) until every byte is out, retrying after interruptions.
bool writeAllBytes(int fd, const void* data, std::size_t size);

/// Replaces path with contents atomically. On failure (folder missing or not writable, disk
/// full, anything but a regular file at path) any existing file at path is left as it was, no
/// temporary file stays behind, and error says why in a few words. writeBytes is the writing step, replaceable
/// so that a test can fail it half way.
bool replaceFile(const std::string& path, std::string_view contents, std::string& error,
                 WriteBytesFn writeBytes = writeAllBytes);

/// True when replaceFile(path, ...) could run now: path is a regular file or nothing and a
/// temporary file can be made (and is removed again) in its folder. Lets a run refuse an output it could not
/// write before it starts, rather than after all its work.
bool canReplaceFile(const std::string& path, std::string& error);

}  // namespace velmora
