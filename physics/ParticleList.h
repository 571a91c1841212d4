#pragma once
#include <memory>
#include <vector>

namespace velmora {

class Particle;

/// The particles of the scene in creation order, owned. The order is that of stepping,
/// collision handling, drawing and the pick tie-break; removal keeps the order of the rest.
using ParticleList = std::vector<std::unique_ptr<Particle>>;

}  // namespace velmora
