#pragma once
// A scene as data: the particles with their states and pins, the links between them and the
// camera pose. Built-in generators and scene files produce it; the program, the tests and the
// benchmarks build particle lists from it, so every scene is also a fixture.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "math/Vec3.h"
#include "physics/ParticleList.h"
#include "physics/PhysicsSettings.h"

namespace velmora {

struct ParticleSpec {
    Vec3 position;  ///< world units
    Vec3 velocity;  ///< world units per second
    bool pinned = false;
};

/// A link between particles a and b (indices into the scene's particles), made by calling
/// link on a with b, so a link record's order in each list follows the scene's link order.
struct LinkSpec {
    std::uint32_t a = 0;
    std::uint32_t b = 0;
    float restLength = -1.0f;  ///< world units; negative takes the distance at build time
    std::optional<float> stiffness = std::nullopt;  ///< absent: the scene's settings say
    std::optional<float> damping = std::nullopt;    ///< absent: the scene's settings say
};

struct CameraPose {
    Vec3 eye{0.0f, 0.0f, 25.0f};
    Vec3 target{0.0f, 0.1f, 0.0f};
};

struct SceneDescription {
    std::vector<ParticleSpec> particles;
    std::vector<LinkSpec> links;
    std::optional<CameraPose> camera;         ///< absent: the starting pose
    std::optional<PhysicsSettings> settings;  ///< absent: the described physics

    /// The physics the scene runs under.
    const PhysicsSettings& physics() const { return settings ? *settings : kDescribedSettings; }
};

/// Appends the scene's particles to list (current and next states alike) and makes its links
/// in order, each with its own stiffness and damping or else the settings'. Link indices must
/// be valid and distinct; the scene readers guarantee it.
void buildScene(const SceneDescription& scene, ParticleList& list);

/// The present particles, links, camera and settings as a scene, for saving. Each link is
/// listed once, from its particle earlier in the list, and the links come in an order that
/// gives every particle, when the scene is built again, its link records in the order it holds
/// them now: forces add up in that order, so a saved structure moves on exactly as the original
/// would. A link keeps its own stiffness or damping where it differs from the settings'.
SceneDescription captureScene(const ParticleList& list, const CameraPose& camera,
                              const PhysicsSettings& settings = kDescribedSettings);

}  // namespace velmora
