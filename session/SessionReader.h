#pragma once
#include <cstdio>
#include <string>
#include <vector>

#include "session/SessionFormat.h"

namespace velmora {

/// Reads a session recording: the header and a first sweep over every line when opened, so a
/// recording that is garbage anywhere is refused before a single pass is replayed; then the
/// passes one at a time, so memory stays flat however long the session was. A recording cut
/// off (no end line, or a last line without its line break) still yields its whole passes.
class SessionReader {
  public:
    SessionReader() = default;
    ~SessionReader();
    SessionReader(const SessionReader&) = delete;
    SessionReader& operator=(const SessionReader&) = delete;

    /// False with a one-line reason ("FILE: line 7: a bad \"down\" field", "FILE: is a
    /// folder") when the file cannot be read (see BoundedFile) or a line is not what its place
    /// calls for.
    bool open(const std::string& fileName, std::string& error);
    /// The same for an open file, which the reader then owns; name is for the messages.
    bool open(std::FILE* file, const std::string& name, std::string& error);

    const SessionHeader& header() const { return header_; }
    /// Whole pass lines in the file.
    long passCount() const { return passCount_; }
    /// Whether the recording ends with its end line; end() is valid only then.
    bool complete() const { return complete_; }
    const SessionEnd& end() const { return end_; }
    /// The widest and the tallest display any pass switched to (zero when none did).
    DisplayMode largestDisplay() const { return largestDisplay_; }

    /// The next pass, in file order; false after the last whole one.
    bool nextPass(PassRecord& pass);

  private:
    /// The next line terminated by a line break, without it; false at the end of the file or
    /// at a last line without its break. Longer lines come back cut, with tooLong set.
    bool readLine(std::string& line, bool& tooLong, std::size_t longest = kMaxSessionLine);

    std::FILE* file_ = nullptr;
    SessionHeader header_;
    SessionEnd end_;
    long passCount_ = 0;
    long passesRead_ = 0;
    bool complete_ = false;
    long firstPassOffset_ = 0;
    DisplayMode largestDisplay_;
    std::string line_;
    std::vector<FileRead> reads_;  ///< the next pass's file reads while they are read
};

}  // namespace velmora
