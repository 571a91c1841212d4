#pragma once
#include <filesystem>
#include <string>

namespace velmora {

/// Where F5 saves when no --save-folder says: the working folder, as always, unless it lies in
/// a build or source tree of the program (`make clean` would take the scenes with it) or cannot
/// be written; then the documents folder's Velmora.
std::string chooseSaveFolder(const std::filesystem::path& workingFolder);

/// velmora-YYYYMMDD-HHMMSS.json (or another extension) in folder at the present local time,
/// with -2, -3, ... when the name is taken; empty when every suffix is.
std::string freeSnapshotName(const std::string& folder, const std::string& extension = ".json");

/// The user's documents folder: $XDG_DOCUMENTS_DIR, else its line in user-dirs.dirs under
/// $XDG_CONFIG_HOME (or ~/.config), else the home folder.
std::filesystem::path documentsFolder();

/// Whether folder is, or lies in, a build tree (a CMakeCache.txt in it or above) or the tree
/// the program was built from.
bool insideProjectTree(const std::filesystem::path& folder);

}  // namespace velmora
