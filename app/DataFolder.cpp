#include "app/DataFolder.h"

#include <filesystem>
#include <system_error>
#include <vector>

namespace velmora {

std::string findDataFolder() {
    namespace fs = std::filesystem;
    std::vector<fs::path> candidates{"bin/"};
    std::error_code error;
    const fs::path program = fs::read_symlink("/proc/self/exe", error);
    if (!error) {
        candidates.push_back(program.parent_path() / "bin/");
        candidates.push_back(program.parent_path().parent_path() / VELMORA_INSTALLED_DATA);
    }
    for (const fs::path& folder : candidates) {
        if (fs::is_regular_file(folder / "min.fx", error)) {
            return folder.string();
        }
    }
    return "bin/";
}

}  // namespace velmora
