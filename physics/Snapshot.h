#pragma once
// A moment of the simulation, kept to go back to: the structure (pins and every particle's
// links in the order it holds them), the particles' motion, the physics settings and what the
// stepper has seen of the scene's energy. Put back, it steps on bit for bit as it did. The
// structure only changes with edits, so moments between two edits share one.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "math/Vec3.h"
#include "physics/EnergyWatch.h"
#include "physics/ParticleList.h"
#include "physics/PhysicsSettings.h"

namespace velmora {

struct Structure {
    /// One half of a link, as the particle holds it.
    struct LinkRecord {
        std::uint32_t other = 0;  ///< the far particle's number in the list
        float restLength = 0.0f;
        float stiffness = 0.0f;
        float damping = 0.0f;
    };
    std::vector<std::uint8_t> pinned;     ///< per particle
    std::vector<std::uint32_t> linkStart;  ///< particle i holds links[linkStart[i] .. [i + 1])
    std::vector<LinkRecord> links;

    std::size_t particleCount() const { return pinned.size(); }
    /// What it holds, bytes.
    std::size_t bytes() const;
};

/// What a pass changes of one particle: its state and the force of its last step.
struct ParticleMotion {
    Vec3 position;
    Vec3 velocity;
    Vec3 stepForce;
};

struct Snapshot {
    std::shared_ptr<const Structure> structure;
    std::vector<ParticleMotion> motion;
    PhysicsSettings settings;
    EnergyWatch energyWatch;

    /// What it holds, bytes, with or without its structure.
    std::size_t bytes(bool withStructure) const;
};

/// The list's pins and links. A link to a particle outside the list is left out.
std::shared_ptr<const Structure> captureStructure(const ParticleList& particles);
/// The list's motion into `motion`, whose storage is reused.
void captureMotion(const ParticleList& particles, std::vector<ParticleMotion>& motion);

/// Makes the list hold the snapshot's particles, at rest between passes (next = current).
/// When `sameStructure` the list already holds the structure (same particles, pins and
/// links) and only the motion is written, and every particle stays where it is in memory;
/// otherwise the particles are made anew.
void restoreParticles(ParticleList& particles, const Snapshot& snapshot, bool sameStructure);

}  // namespace velmora
