#pragma once
// Where a scene comes from: a built-in name or a scene file, as --scene names it and as the
// program reloads one.
#include <optional>
#include <string>
#include <string_view>

#include "scenes/SceneDescription.h"

namespace velmora {

struct SceneSourceError {
    bool badFile = false;  ///< a scene file that cannot be read or is refused; else a bad name
    std::string message;   ///< one line: "FILE: what is wrong ..." or the names of the scenes
};

/// A name with a '/' in it or ending in ".json" names a file; any other a built-in scene.
bool namesSceneFile(std::string_view name);

/// The scene a name or file stands for, whole, or nothing and why.
std::optional<SceneDescription> openScene(std::string_view nameOrFile, SceneSourceError& error);

}  // namespace velmora
