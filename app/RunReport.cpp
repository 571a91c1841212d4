#include "app/RunReport.h"

#include <cstdio>

#include "physics/StateSummary.h"

namespace velmora {

std::string runReportLine(const ParticleList& particles, const PassTimes& times,
                          const Vec3& gravity) {
    const double perPass = times.passes > 0 ? 1000.0 / static_cast<double>(times.passes) : 0.0;
    char line[400];
    std::snprintf(line, sizeof line,
                  "velmora: passes=%ld particles=%zu links=%zu stretch=%.3f speed=%.3f "
                  "hash=%016llx mean_ms=%.2f physics_ms=%.2f draw_ms=%.2f kinetic=%.3f "
                  "energy=%.3f",
                  times.passes, particles.size(), linkCount(particles), largestStretch(particles),
                  largestSpeed(particles), static_cast<unsigned long long>(stateHash(particles)),
                  times.seconds * perPass, times.physicsSeconds * perPass,
                  times.drawSeconds * perPass, kineticEnergy(particles),
                  totalEnergy(particles, gravity));
    return line;
}

}  // namespace velmora
