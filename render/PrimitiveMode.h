#pragma once
#include <cstdint>

namespace velmora {

/// How drawGeometry reads a geometry's indices. Single bits; any other value (0, 3, ...)
/// is drawn as a triangle list. Unscoped with a fixed underlying type, so every 32-bit
/// value is representable and `Lines` and `PrimitiveMode::Lines` both name the mode.
enum PrimitiveMode : std::uint32_t {
    Points = 1,
    Lines = 2,
    LineStrip = 4,
    Triangles = 8,
    TriangleStrip = 16,
};

}  // namespace velmora
