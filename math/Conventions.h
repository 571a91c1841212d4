#pragma once
// Conventions every layer relies on:
// - World space is right-handed with +y up; the view looks down -z of view space.
// - Points are row vectors: (x, y, z, 1) * M. Matrices are row-major, m[row][column], the
//   layout of Direct3D's D3DMATRIX; translation sits in row 3; A * B applies A first.
//   rotationAxis is the one exception: it is built for column vectors (transformColumn).
// - Projection depth runs 0 (near) .. 1 (far).
// - Fields of view are degrees, converted with kDegreesToRadians = 0.017453 (not pi/180);
//   every other angle is radians. Pi, where the scene needs it, is the float 3.14159.
// - All stored values are 32-bit floats.

namespace velmora {

inline constexpr float kDegreesToRadians = 0.017453f;
inline constexpr float kPi = 3.14159f;

}  // namespace velmora
