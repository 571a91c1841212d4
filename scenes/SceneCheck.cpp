#include <algorithm>
#include <cmath>
#include <tuple>
#include <unordered_map>

#include "scenes/SceneFile.h"

namespace velmora {
namespace {

bool finite(const Vec3& v) {
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

}  // namespace

std::optional<std::string> sceneProblem(const SceneDescription& scene) {
    const std::size_t n = scene.particles.size();
    if (n > kMaxSceneParticles) {
        return "more than " + std::to_string(kMaxSceneParticles) + " particles (" +
               std::to_string(n) + ")";
    }
    if (scene.links.size() > kMaxSceneLinks) {
        return "more than " + std::to_string(kMaxSceneLinks) + " links (" +
               std::to_string(scene.links.size()) + ")";
    }
    for (std::size_t i = 0; i < n; ++i) {
        const ParticleSpec& p = scene.particles[i];
        if (!finite(p.position) || !finite(p.velocity)) {
            return "particle " + std::to_string(i) + ": " +
                   (finite(p.position) ? "velocity" : "position") + " is not finite";
        }
    }
    if (scene.camera && (!finite(scene.camera->eye) || !finite(scene.camera->target))) {
        return std::string("camera: ") + (finite(scene.camera->eye) ? "target" : "eye") +
               " is not finite";
    }
    if (scene.camera) {
        // The view is built around the vertical: a camera looking along it, or at its own
        // eye, has no view to draw and no turn the controls could take it out of.
        const double dx = static_cast<double>(scene.camera->target.x) - scene.camera->eye.x;
        const double dy = static_cast<double>(scene.camera->target.y) - scene.camera->eye.y;
        const double dz = static_cast<double>(scene.camera->target.z) - scene.camera->eye.z;
        const double across = std::hypot(dx, dz);
        if (across == 0.0 && dy == 0.0) {
            return std::string("camera: eye and target are the same point");
        }
        if (across <= 1e-6 * std::fabs(dy)) {
            return std::string("camera: looks straight ") + (dy > 0.0 ? "up" : "down") +
                   "; the view needs a direction off the vertical";
        }
    }
    if (scene.settings) {
        if (auto problem = settingsProblem(*scene.settings))
            return "settings: " + *problem;
    }
    // The first link of every pair, to name both when a pair comes again.
    std::unordered_map<std::uint64_t, std::size_t> firstLinkOfPair;
    firstLinkOfPair.reserve(scene.links.size());
    for (std::size_t i = 0; i < scene.links.size(); ++i) {
        const LinkSpec& l = scene.links[i];
        const std::string where = "link " + std::to_string(i) + ": ";
        if (l.a >= n || l.b >= n) {
            return where + "particle index " + std::to_string(l.a >= n ? l.a : l.b) +
                   " is out of range (" + std::to_string(n) + " particles)";
        }
        if (l.a == l.b) {
            return where + "joins particle " + std::to_string(l.a) + " to itself";
        }
        // Negative means "the present distance" and passes; zero is two particles linked
        // while at one point, which the tools allow; NaN and infinity do not pass.
        if (!(l.restLength < 0.0f) && !(l.restLength >= 0.0f && std::isfinite(l.restLength))) {
            return where + "rest length is not a finite number";
        }
        for (const auto& [key, value, range] :
             {std::tuple(kStiffnessKey, l.stiffness, kStiffnessRange),
              std::tuple(kDampingKey, l.damping, kDampingRange)}) {
            if (auto problem = value ? outsideRange(*value, range) : std::nullopt)
                return where + "\"" + key + "\" " + *problem;
        }
        const std::uint64_t low = std::min(l.a, l.b), high = std::max(l.a, l.b);
        const auto [first, isNew] = firstLinkOfPair.emplace(low << 32 | high, i);
        if (!isNew) {
            return where + "links particles " + std::to_string(low) + " and " +
                   std::to_string(high) + " again (link " + std::to_string(first->second) +
                   " did already)";
        }
    }
    return std::nullopt;
}

}  // namespace velmora
