// The files the user saves and opens from the running program: F5, the panel's Open list,
// files dropped on the window.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "app/Application.h"
#include "app/SaveFolder.h"
#include "scenes/SceneFile.h"
#include "scenes/SceneSource.h"

namespace velmora {

bool Application::loadScene(std::string_view nameOrFile) {
    SceneSourceError error;
    std::optional<SceneDescription> loaded;
    if (!namesSceneFile(nameOrFile)) {
        loaded = openScene(nameOrFile, error);
    } else {
        // Through the operating system, so that a recording keeps what the file held.
        const std::string path(nameOrFile);
        std::string text;
        if (!os.readWholeFile(path, kMaxSceneFileBytes, text, error.message) ||
            !parseSceneText(text, loaded.emplace(), error.message)) {
            loaded.reset();
            error.message = path + ": " + error.message;
        }
    }
    if (!loaded) {
        lastMessage = error.message;  // names the scene or file
        std::fprintf(stderr, "velmora: %s\n", lastMessage.c_str());
        return false;
    }
    previousScene_ = std::make_shared<const SceneDescription>(std::move(startingScene));
    previousSceneName_ = sceneName;
    startingScene = std::move(*loaded);
    resetScene();
    sceneName.assign(nameOrFile);
    if (inPass_) {
        noteEdit("load");
    }
    lastMessage = "loaded " + sceneName;
    if (namesSceneFile(nameOrFile)) {
        std::erase(recentScenes, sceneName);
        recentScenes.insert(recentScenes.begin(), sceneName);
        recentScenes.resize(std::min(recentScenes.size(), kRecentScenes));
        listOpenableScenes();
    }
    return true;
}

void Application::openDropped(std::uintptr_t drop) {
    std::string path;
    if (!os.droppedFile(drop, path)) {
        return;
    }
    if (!path.ends_with(".jsonl")) {
        loadScene(path);  // a scene file, or it says why not and keeps the scene
    } else if (std::string error; !replayProgress.empty() || replayWindows_.start(path, error)) {
        // A replay of this session must not start windows of its own.
        lastMessage = "replaying " + path + " in a window of its own";
    } else {
        lastMessage = error;
    }
    overlay.showMessage(lastMessage);
}

void Application::listOpenableScenes() {
    openableScenes.clear();
    for (const std::string& name : os.findSceneFiles(saveFolder, kListedScenes)) {
        openableScenes.push_back((std::filesystem::path(saveFolder) / name).string());
    }
    for (const std::string& recent : recentScenes) {
        if (std::find(openableScenes.begin(), openableScenes.end(), recent) ==
            openableScenes.end()) {
            openableScenes.push_back(recent);
        }
    }
}

bool Application::saveScene(const std::string& path) {
    const CameraPose camera{scene.mainCamera.getEye(), scene.mainCamera.getTarget()};
    std::string error;
    if (!writeSceneFile(path, captureScene(particles, camera, physics), error)) {
        lastMessage = "cannot save the scene to " + path + ": " + error;
        std::fprintf(stderr, "velmora: %s\n", lastMessage.c_str());
        return false;
    }
    std::error_code ignored;
    lastMessage =
        "scene saved to " + std::filesystem::absolute(path, ignored).lexically_normal().string();
    std::printf("velmora: %s\n", lastMessage.c_str());
    std::fflush(stdout);
    return true;
}

bool Application::saveSnapshot() {
    std::error_code error;  // a folder that cannot be made fails below, naming it
    std::filesystem::create_directories(saveFolder, error);
    const std::string name = freeSnapshotName(saveFolder);
    if (name.empty()) {
        lastMessage = "cannot save the scene: every name for this second is taken in " + saveFolder;
        std::fprintf(stderr, "velmora: %s\n", lastMessage.c_str());
        return false;
    }
    return saveScene(name);
}

}  // namespace velmora
