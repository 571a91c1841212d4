#include "physics/StateSummary.h"

#include <algorithm>
#include <cstring>

#include "physics/Particle.h"

namespace velmora {

std::uint64_t stateHash(const ParticleList& particles) {
    std::uint64_t hash = 14695981039346656037ull;
    for (const auto& p : particles) {
        const float values[6] = {p->current.position.x, p->current.position.y,
                                 p->current.position.z, p->current.velocity.x,
                                 p->current.velocity.y, p->current.velocity.z};
        for (const float value : values) {
            std::uint32_t bits = 0;
            std::memcpy(&bits, &value, sizeof bits);
            for (int byte = 0; byte < 4; ++byte) {
                hash = (hash ^ ((bits >> (8 * byte)) & 0xffu)) * 1099511628211ull;
            }
        }
    }
    return hash;
}

std::size_t linkCount(const ParticleList& particles) {
    std::size_t records = 0;
    for (const auto& p : particles) {
        records += p->links.size();
    }
    return records / 2;
}

float largestStretch(const ParticleList& particles) {
    float largest = 0.0f;
    for (const auto& p : particles) {
        for (const ParticleLink& l : p->links) {
            if (l.restLength > 0.0f) {
                const float distance = length(l.other->current.position - p->current.position);
                largest = std::max(largest, distance / l.restLength);
            }
        }
    }
    return largest;
}

float largestSpeed(const ParticleList& particles) {
    float largest = 0.0f;
    for (const auto& p : particles) {
        largest = std::max(largest, length(p->current.velocity));
    }
    return largest;
}

}  // namespace velmora
