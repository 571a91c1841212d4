#pragma once
#include <cstddef>

#include "physics/ParticleList.h"

namespace velmora {

inline constexpr std::size_t kStartingStructureParticles = 10;
inline constexpr std::size_t kStartingStructureLinks = 30;
/// Index, within the structure, of the one pinned particle it hangs from.
inline constexpr std::size_t kStartingStructurePinned = 5;

/// Appends the scene's starting structure: a fully braced cube of side 5 (corners 0-3, 6-9)
/// hanging by the chain 3-4-5 from particle 5, pinned at the top of the box. Every link takes
/// the present distance as its rest length.
void appendStartingStructure(ParticleList& particles);

}  // namespace velmora
