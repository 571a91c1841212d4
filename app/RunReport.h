#pragma once
#include <string>

#include "physics/ParticleList.h"
#include "physics/PhysicsSettings.h"

namespace velmora {

/// Wall-clock time spent in the passes of a run, seconds.
struct PassTimes {
    long passes = 0;
    double seconds = 0.0;         ///< whole passes
    double physicsSeconds = 0.0;  ///< the simulation's share
    double drawSeconds = 0.0;     ///< drawing and presenting
};

/// The one line a run with --frames ends with, without the line break:
/// "velmora: passes=N particles=N links=N stretch=F speed=F hash=H mean_ms=F physics_ms=F
/// draw_ms=F kinetic=F energy=F", stretch, speed and the energies with three decimals, times
/// per pass with two.
std::string runReportLine(const ParticleList& particles, const PassTimes& times,
                          const Vec3& gravity = kDescribedSettings.gravity);

}  // namespace velmora
