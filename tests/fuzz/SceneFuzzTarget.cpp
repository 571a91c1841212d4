// The scene reader. The checks catch a refused input that changed the scene, an accepted one
// the checks would refuse, and a scene that does not write and read back to the same text.
#include <string_view>

#include "scenes/SceneFile.h"
#include "tests/fuzz/FuzzCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace velmora;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    SceneDescription scene;
    scene.particles.resize(1);  // a refused input must leave this as it is
    std::string error;
    if (!parseSceneText(text, scene, error)) {
        check(!error.empty());
        check(scene.particles.size() == 1 && scene.links.empty() && !scene.camera &&
              !scene.settings);
        return 0;
    }
    check(scene.particles.size() <= kMaxSceneParticles && scene.links.size() <= kMaxSceneLinks);
    check(!sceneProblem(scene));
    const std::string written = sceneText(scene);
    SceneDescription again;
    check(parseSceneText(written, again, error));
    check(sceneText(again) == written);
    return 0;
}
