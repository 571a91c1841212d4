#pragma once
#include <cstddef>

namespace velmora {

/// The most particles a scene may hold: the room (19 units a side) fits about 1,200 spheres of
/// radius 1 side by side, but a pass over 1,200 piled at one point takes longer than a frame
/// of 50 ms; over this many, however they lie or are linked, it stays within one (see the
/// README's limits). The largest built-in lattice, 10 x 10 x 10, is exactly this. Spawning
/// stops here too.
inline constexpr std::size_t kMaxSceneParticles = 1000;
/// The most links: seven times the 2,700 of the largest lattice; every pair of 200 particles
/// linked is 19,900.
inline constexpr std::size_t kMaxSceneLinks = 20000;

}  // namespace velmora
