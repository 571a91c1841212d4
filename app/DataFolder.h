#pragma once
#include <string>

namespace velmora {

/// The folder holding the effect file and the scene's pictures, with its trailing slash: bin/
/// in the working folder as always; where that has no min.fx, bin/ beside the program (a build
/// folder); then the installed data folder, found from the program's own place so that an
/// install under any prefix finds its data. "bin/" when none has it, so the error names the
/// usual place.
std::string findDataFolder();

}  // namespace velmora
