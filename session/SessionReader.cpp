#include "session/SessionReader.h"

#include <algorithm>

#include "platform/BoundedFile.h"

namespace velmora {

SessionReader::~SessionReader() {
    if (file_ != nullptr) {
        std::fclose(file_);
    }
}

bool SessionReader::readLine(std::string& line, bool& tooLong, std::size_t longest) {
    line.clear();
    tooLong = false;
    int c = 0;
    while ((c = std::fgetc(file_)) != EOF) {
        if (c == '\n') {
            return true;
        }
        if (line.size() <= longest) {
            line.push_back(static_cast<char>(c));
        } else {
            tooLong = true;
        }
    }
    return false;  // end of file, or a last line cut off before its break
}

bool SessionReader::open(const std::string& fileName, std::string& error) {
    BoundedFile file(fileName, kMaxSessionFileBytes);
    if (!file.isOpen()) {
        error = fileName + ": " + file.error();
        return false;
    }
    return open(file.releaseStream(), fileName, error);
}

bool SessionReader::open(std::FILE* file, const std::string& fileName, std::string& error) {
    if (file_ != nullptr) {
        std::fclose(file_);
    }
    file_ = file;
    if (file_ == nullptr) {
        error = fileName + ": cannot be read";
        return false;
    }
    long lineNumber = 1;
    const auto fail = [&](const std::string& why) {
        error = fileName + ": line " + std::to_string(lineNumber) + ": " + why;
        return false;
    };
    bool tooLong = false;
    std::string why;
    if (!readLine(line_, tooLong)) {
        return fail("no header line");
    }
    if (tooLong || !parseHeaderLine(line_, header_, why)) {
        return fail(tooLong ? "line too long" : why);
    }
    if (header_.version >= 2) {
        ++lineNumber;
        if (!readLine(line_, tooLong, kMaxSessionSceneLine) || tooLong ||
            !parseSceneTextLine(line_, header_.sceneText, why)) {
            return fail(tooLong ? "line too long" : why.empty() ? "no scene-text line" : why);
        }
        line_.clear();
        line_.shrink_to_fit();  // the pass lines are short
    }
    firstPassOffset_ = std::ftell(file_);
    PassRecord pass;
    FileRead read;
    std::size_t readsPending = 0;  // file reads waiting for their pass line
    // File reads may be as long as a scene's line; every other line is short.
    while (readLine(line_, tooLong, kMaxSessionSceneLine)) {
        ++lineNumber;
        if (complete_) {
            return fail("text after the end line");
        }
        const bool fileRead = looksLikeFileReadLine(line_);
        if (tooLong || (!fileRead && line_.size() > kMaxSessionLine)) {
            return fail("line too long");
        }
        if (fileRead) {
            if (++readsPending > kMostFileReadsPerPass) {
                return fail("more than " + std::to_string(kMostFileReadsPerPass) +
                            " file reads in one pass");
            }
            if (!parseFileReadLine(line_, read, why)) {
                return fail(why);
            }
        } else if (looksLikeEndLine(line_)) {
            if (readsPending > 0) {
                return fail("a file read without its pass");
            }
            if (!parseEndLine(line_, end_, why)) {
                return fail(why);
            }
            if (end_.passes != passCount_) {
                return fail("the end line counts " + std::to_string(end_.passes) +
                            " passes, the file holds " + std::to_string(passCount_));
            }
            complete_ = true;
        } else if (!parsePassLine(line_, pass, why)) {
            return fail(why);
        } else {
            readsPending = 0;
            ++passCount_;
            largestDisplay_.width = std::max(largestDisplay_.width, pass.display.width);
            largestDisplay_.height = std::max(largestDisplay_.height, pass.display.height);
        }
    }
    if (std::ferror(file_) != 0 || std::fseek(file_, firstPassOffset_, SEEK_SET) != 0) {
        error = fileName + ": cannot be read";
        return false;
    }
    return true;
}

bool SessionReader::nextPass(PassRecord& pass) {
    if (file_ == nullptr || passesRead_ >= passCount_) {
        return false;
    }
    bool tooLong = false;
    std::string why;
    // The first sweep checked every line, so this cannot fail unless the file changed since.
    reads_.clear();
    while (readLine(line_, tooLong, kMaxSessionSceneLine) && !tooLong &&
           looksLikeFileReadLine(line_)) {
        if (reads_.size() >= kMostFileReadsPerPass ||
            !parseFileReadLine(line_, reads_.emplace_back(), why)) {
            passCount_ = passesRead_;
            return false;
        }
    }
    if (tooLong || !parsePassLine(line_, pass, why)) {
        passCount_ = passesRead_;
        return false;
    }
    std::swap(pass.reads, reads_);
    ++passesRead_;
    return true;
}

}  // namespace velmora
