// The simulation core alone: scenes stepped 600 passes each, every seventh pass long enough
// to split into sub-steps, and each one's state hash printed. Built natively and for
// WebAssembly (make web-core), so the two builds can be held to the same bits.
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "physics/Particle.h"
#include "physics/StableStepping.h"
#include "physics/StateSummary.h"
#include "scenes/BuiltInScenes.h"
#include "scenes/SceneDescription.h"
#include "scenes/StressScenes.h"

int main() {
    using namespace velmora;
    std::vector<std::pair<std::string, SceneDescription>> scenes;
    for (const char* name : {"start", "lattice:5x5x5", "sheet:10x10", "rope:10"}) {
        std::string error;
        auto scene = builtInScene(name, error);
        if (!scene) {
            std::fprintf(stderr, "core-check: %s: %s\n", name, error.c_str());
            return 1;
        }
        scenes.emplace_back(name, std::move(*scene));
    }
    // Unlinked particles toppling into a pile: the contact scans, cell by cell and down the list.
    scenes.emplace_back("pile:5", pileScene(5));
    scenes.emplace_back("hub", hubScene(1.5f));
    for (const auto& [name, scene] : scenes) {
        ParticleList particles;
        buildScene(scene, particles);
        StableStepper stepper;
        for (int pass = 0; pass < 600; ++pass) {
            stepper.advance(particles, particles.size(), true, pass % 7 == 3 ? 0.1f : 1.0f / 60.0f);
        }
        std::printf("%s %016llx\n", name.c_str(),
                    static_cast<unsigned long long>(stateHash(particles)));
    }
    return 0;
}
