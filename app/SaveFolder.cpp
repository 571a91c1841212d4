#include "app/SaveFolder.h"

#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <system_error>

namespace velmora {
namespace {

namespace fs = std::filesystem;

fs::path homeFolder() {
    if (const char* home = std::getenv("HOME"); home != nullptr && *home == '/') {
        return home;
    }
    const passwd* entry = getpwuid(getuid());
    return entry != nullptr && entry->pw_dir != nullptr ? fs::path(entry->pw_dir) : fs::path("/");
}

/// The documents line of user-dirs.dirs: XDG_DOCUMENTS_DIR="$HOME/Documents" or an absolute
/// path in quotes; empty when the file or the line is missing or malformed.
fs::path documentsFromUserDirs(const fs::path& home) {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    const fs::path file =
        (config != nullptr && *config == '/' ? fs::path(config) : home / ".config") /
        "user-dirs.dirs";
    std::ifstream in(file);
    const std::string key = "XDG_DOCUMENTS_DIR=\"";
    std::string line;
    // A configuration file of a few lines; anything longer than this is not one.
    for (int lines = 0; lines < 256 && std::getline(in, line); ++lines) {
        if (!line.starts_with(key) || line.size() < key.size() + 1 || line.back() != '"') {
            continue;
        }
        const std::string value = line.substr(key.size(), line.size() - key.size() - 1);
        if (value.starts_with("$HOME")) {
            return home / fs::path(value.substr(5)).relative_path();
        }
        if (value.starts_with("/")) {
            return value;
        }
    }
    return {};
}

/// Suffixes F5 tries when its file name is taken (two saves in one second).
constexpr int kMaxSnapshotSuffix = 1000;

bool exists(const std::string& path) {
    std::error_code ignored;
    return fs::exists(path, ignored);
}

bool writable(const fs::path& folder) {
    return access(folder.c_str(), W_OK | X_OK) == 0;
}

}  // namespace

fs::path documentsFolder() {
    if (const char* documents = std::getenv("XDG_DOCUMENTS_DIR");
        documents != nullptr && *documents == '/') {
        return documents;
    }
    const fs::path home = homeFolder();
    const fs::path fromFile = documentsFromUserDirs(home);
    return fromFile.empty() ? home : fromFile;
}

bool insideProjectTree(const fs::path& folder) {
    std::error_code error;
    const fs::path absolute = fs::weakly_canonical(folder, error);
    if (error) {
        return false;
    }
#ifdef VELMORA_SOURCE_DIR
    const fs::path source = fs::weakly_canonical(VELMORA_SOURCE_DIR, error);
    if (!error) {
        const auto [end, unused] =
            std::mismatch(source.begin(), source.end(), absolute.begin(), absolute.end());
        if (end == source.end()) {
            return true;
        }
    }
#endif
    for (fs::path at = absolute; !at.empty(); at = at.parent_path()) {
        if (fs::exists(at / "CMakeCache.txt", error)) {
            return true;
        }
        if (at == at.root_path()) {
            break;
        }
    }
    return false;
}

std::string freeSnapshotName(const std::string& folder, const std::string& extension) {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "velmora-%Y%m%d-%H%M%S", &local);
    const fs::path stem = fs::path(folder) / stamp;
    for (int suffix = 1; suffix <= kMaxSnapshotSuffix; ++suffix) {
        const std::string tail = suffix == 1 ? extension : "-" + std::to_string(suffix) + extension;
        const std::string name = stem.string() + tail;
        if (!exists(name)) {
            return name;
        }
    }
    return {};
}

std::string chooseSaveFolder(const fs::path& workingFolder) {
    if (!insideProjectTree(workingFolder) && writable(workingFolder)) {
        return workingFolder.string();
    }
    return (documentsFolder() / "Velmora").string();
}

}  // namespace velmora
