#include "physics/Integrator.h"

namespace velmora {

Vec3 accumulatedForce;

}  // namespace velmora
