#pragma once
#include <cstddef>

namespace velmora {

/// The most particles a scene may hold: the room (19 units a side) fits about 1,200 spheres of
/// radius 1 side by side, and a pass over this many, however they lie or are linked, stays
/// within a frame (see the README's limits). Spawning stops here too.
inline constexpr std::size_t kMaxSceneParticles = 1200;
/// The most links: every pair of 447 particles linked is 99,681.
inline constexpr std::size_t kMaxSceneLinks = 100000;

}  // namespace velmora
