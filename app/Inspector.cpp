#include "app/Inspector.h"

#include <algorithm>
#include <cstdio>

#include "physics/Particle.h"

namespace velmora {
namespace {

/// The particle's number in the list, or -1.
long numberOf(const ParticleList& particles, const Particle* particle) {
    const auto found = std::find_if(particles.begin(), particles.end(),
                                    [&](const auto& p) { return p.get() == particle; });
    return found == particles.end() ? -1 : static_cast<long>(found - particles.begin());
}

}  // namespace

void inspectorText(const ParticleList& particles, const Particle& selected, const Particle* other,
                   std::string& out) {
    char line[256];
    const Vec3& p = selected.current.position;
    std::snprintf(line, sizeof line,
                  "particle %ld%s\nat (%.2f, %.2f, %.2f), speed %.2f, %zu link%s",
                  numberOf(particles, &selected), selected.pinned ? ", pinned" : "",
                  static_cast<double>(p.x), static_cast<double>(p.y), static_cast<double>(p.z),
                  static_cast<double>(length(selected.current.velocity)), selected.links.size(),
                  selected.links.size() == 1 ? "" : "s");
    out.assign(line);
    if (other == nullptr || other == &selected) {
        return;
    }
    const float distance = length(other->current.position - p);
    std::snprintf(line, sizeof line, "\nto particle %ld: %.3f apart", numberOf(particles, other),
                  static_cast<double>(distance));
    out.append(line);
    const auto link = std::find_if(selected.links.begin(), selected.links.end(),
                                   [&](const ParticleLink& l) { return l.other == other; });
    if (link != selected.links.end()) {
        // The spring's pull at this length: stiffness times the stretch.
        const double stretch = static_cast<double>(distance) - link->restLength;
        std::snprintf(line, sizeof line, "\nlinked: rest %.3f, strain %+.1f%%, tension %.2f",
                      static_cast<double>(link->restLength),
                      link->restLength > 0.0f ? 100.0 * stretch / link->restLength : 0.0,
                      static_cast<double>(link->stiffness) * stretch);
        out.append(line);
    }
}

}  // namespace velmora
