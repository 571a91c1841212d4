#pragma once
// Figures that sum up the state of the particles, for the run report, the tests and
// recordings.
#include <cstddef>
#include <cstdint>

#include "physics/ParticleList.h"
#include "physics/PhysicsSettings.h"

namespace velmora {

/// FNV-1a 64 over, for every particle in list order, the IEEE-754 bits of current.position
/// x, y, z then current.velocity x, y, z, each as 4 little-endian bytes.
std::uint64_t stateHash(const ParticleList& particles);
/// Links, each counted once (a link is held by both its particles).
std::size_t linkCount(const ParticleList& particles);
/// The largest distance / rest length over all links with a positive rest length; 0 without.
/// In double, so any finite state gives a finite figure.
double largestStretch(const ParticleList& particles);
/// The largest particle speed, world units per second, in double.
double largestSpeed(const ParticleList& particles);
/// Sum of m |v|^2 / 2 over all particles.
double kineticEnergy(const ParticleList& particles);
/// Kinetic energy plus gravitational m |g| h, h the height above the wall gravity pulls
/// towards (for the described gravity m * 9.8 * (y + 9.5), from the floor), plus elastic
/// k (length - rest)^2 / 2 over the links, each once. Units of a unit mass moved one world
/// unit per second squared over one world unit.
double totalEnergy(const ParticleList& particles, const Vec3& gravity = kDescribedSettings.gravity);

/// The energy's parts, summed each on its own: total() agrees with totalEnergy to rounding.
struct EnergyParts {
    double kinetic = 0.0;
    double gravitational = 0.0;
    double elastic = 0.0;
    double total() const { return kinetic + gravitational + elastic; }
};
EnergyParts energyParts(const ParticleList& particles,
                        const Vec3& gravity = kDescribedSettings.gravity);

}  // namespace velmora
