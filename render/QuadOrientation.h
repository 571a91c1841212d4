#pragma once
#include <cstdint>

namespace velmora {

/// The coordinate plane of a quad mesh. Any other value gives four vertices at the origin,
/// a quad that draws nothing visible.
enum QuadOrientation : std::uint32_t {
    PlaneXZ = 1,  ///< y = 0; width along x, depth along z
    PlaneXY = 2,  ///< z = 0; width along x, depth along y
    PlaneYZ = 4,  ///< x = 0; width along z, depth along y
};

}  // namespace velmora
