#pragma once
// The inspector: what the particle a tool holds is doing, and how it stands to the one under
// the cursor, in numbers.
#include <string>

#include "physics/ParticleList.h"

namespace velmora {

/// Lines for the selected particle (number, position, speed, links) and, when `other` is
/// another particle, the distance to it and, if they are linked, the link's rest length,
/// strain and tension. Written into `out`, whose storage is kept.
void inspectorText(const ParticleList& particles, const Particle& selected, const Particle* other,
                   std::string& out);

}  // namespace velmora
