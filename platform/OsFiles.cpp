// The operating system's file calls, as every system makes them: on the disk.
#include <algorithm>
#include <filesystem>
#include <system_error>
#include <utility>

#include "platform/BoundedFile.h"
#include "platform/OperatingSystem.h"
#include "platform/Utf8.h"

namespace velmora {

std::vector<std::string> OperatingSystem::findSceneFiles(const std::string& folder,
                                                         std::size_t most) {
    namespace fs = std::filesystem;
    // A folder of thousands of files is listed whole but kept to `most`.
    std::vector<std::pair<fs::file_time_type, std::string>> found;
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        const fs::path& path = it->path();
        std::error_code unreadable;
        // Names a recording can hold and the panel can show.
        const std::string name = path.filename().string();
        if (path.extension() == ".json" && name.size() <= kLongestListedName && isPlainText(name) &&
            name.find_first_of("\t\r\n") == std::string::npos && it->is_regular_file(unreadable)) {
            const fs::file_time_type written = it->last_write_time(unreadable);
            if (!unreadable) {
                found.emplace_back(written, name);
            }
        }
    }
    // Newest first; one second's saves by name, later suffixes first.
    std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) {
        return a.first != b.first ? a.first > b.first : a.second > b.second;
    });
    std::vector<std::string> names;
    for (std::size_t i = 0; i < found.size() && i < most; ++i) {
        names.push_back(std::move(found[i].second));
    }
    return names;
}

bool OperatingSystem::droppedFile(std::uintptr_t, std::string&) {
    return false;
}

bool OperatingSystem::readWholeFile(const std::string& path, std::uint64_t maxBytes,
                                    std::string& text, std::string& error) {
    return readBoundedFile(path, maxBytes, text, error);
}

}  // namespace velmora
