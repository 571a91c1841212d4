#include "scenes/SceneSource.h"

#include "scenes/BuiltInScenes.h"
#include "scenes/SceneFile.h"

namespace velmora {

bool namesSceneFile(std::string_view name) {
    return name.find('/') != std::string_view::npos || name.ends_with(".json");
}

std::optional<SceneDescription> openScene(std::string_view nameOrFile, SceneSourceError& error) {
    error = {};
    if (!namesSceneFile(nameOrFile)) {
        return builtInScene(nameOrFile, error.message);
    }
    error.badFile = true;
    SceneDescription scene;
    if (!readSceneFile(std::string(nameOrFile), scene, error.message)) {
        return std::nullopt;
    }
    return scene;
}

}  // namespace velmora
