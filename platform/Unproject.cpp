// D3DXVec3Unproject for both devices: screen x, y in pixels (y down) and depth 0..1 back
// through the viewport and the inverse of world * view * projection.
#include <cmath>

#include "platform/GpuDevice.h"

namespace velmora {
namespace {

/// Inverse of a 4 x 4 matrix by cofactors, in double so the round trip keeps float
/// precision; false when the matrix is singular.
bool invert(const Matrix4& a, double out[4][4]) {
    double m[16];
    for (int i = 0; i < 16; ++i)
        m[i] = a.data()[i];
    double inv[16];
    inv[0] = m[5] * m[10] * m[15] - m[5] * m[11] * m[14] - m[9] * m[6] * m[15] +
             m[9] * m[7] * m[14] + m[13] * m[6] * m[11] - m[13] * m[7] * m[10];
    inv[4] = -m[4] * m[10] * m[15] + m[4] * m[11] * m[14] + m[8] * m[6] * m[15] -
             m[8] * m[7] * m[14] - m[12] * m[6] * m[11] + m[12] * m[7] * m[10];
    inv[8] = m[4] * m[9] * m[15] - m[4] * m[11] * m[13] - m[8] * m[5] * m[15] +
             m[8] * m[7] * m[13] + m[12] * m[5] * m[11] - m[12] * m[7] * m[9];
    inv[12] = -m[4] * m[9] * m[14] + m[4] * m[10] * m[13] + m[8] * m[5] * m[14] -
              m[8] * m[6] * m[13] - m[12] * m[5] * m[10] + m[12] * m[6] * m[9];
    inv[1] = -m[1] * m[10] * m[15] + m[1] * m[11] * m[14] + m[9] * m[2] * m[15] -
             m[9] * m[3] * m[14] - m[13] * m[2] * m[11] + m[13] * m[3] * m[10];
    inv[5] = m[0] * m[10] * m[15] - m[0] * m[11] * m[14] - m[8] * m[2] * m[15] +
             m[8] * m[3] * m[14] + m[12] * m[2] * m[11] - m[12] * m[3] * m[10];
    inv[9] = -m[0] * m[9] * m[15] + m[0] * m[11] * m[13] + m[8] * m[1] * m[15] -
             m[8] * m[3] * m[13] - m[12] * m[1] * m[11] + m[12] * m[3] * m[9];
    inv[13] = m[0] * m[9] * m[14] - m[0] * m[10] * m[13] - m[8] * m[1] * m[14] +
              m[8] * m[2] * m[13] + m[12] * m[1] * m[10] - m[12] * m[2] * m[9];
    inv[2] = m[1] * m[6] * m[15] - m[1] * m[7] * m[14] - m[5] * m[2] * m[15] + m[5] * m[3] * m[14] +
             m[13] * m[2] * m[7] - m[13] * m[3] * m[6];
    inv[6] = -m[0] * m[6] * m[15] + m[0] * m[7] * m[14] + m[4] * m[2] * m[15] -
             m[4] * m[3] * m[14] - m[12] * m[2] * m[7] + m[12] * m[3] * m[6];
    inv[10] = m[0] * m[5] * m[15] - m[0] * m[7] * m[13] - m[4] * m[1] * m[15] +
              m[4] * m[3] * m[13] + m[12] * m[1] * m[7] - m[12] * m[3] * m[5];
    inv[14] = -m[0] * m[5] * m[14] + m[0] * m[6] * m[13] + m[4] * m[1] * m[14] -
              m[4] * m[2] * m[13] - m[12] * m[1] * m[6] + m[12] * m[2] * m[5];
    inv[3] = -m[1] * m[6] * m[11] + m[1] * m[7] * m[10] + m[5] * m[2] * m[11] -
             m[5] * m[3] * m[10] - m[9] * m[2] * m[7] + m[9] * m[3] * m[6];
    inv[7] = m[0] * m[6] * m[11] - m[0] * m[7] * m[10] - m[4] * m[2] * m[11] + m[4] * m[3] * m[10] +
             m[8] * m[2] * m[7] - m[8] * m[3] * m[6];
    inv[11] = -m[0] * m[5] * m[11] + m[0] * m[7] * m[9] + m[4] * m[1] * m[11] - m[4] * m[3] * m[9] -
              m[8] * m[1] * m[7] + m[8] * m[3] * m[5];
    inv[15] = m[0] * m[5] * m[10] - m[0] * m[6] * m[9] - m[4] * m[1] * m[10] + m[4] * m[2] * m[9] +
              m[8] * m[1] * m[6] - m[8] * m[2] * m[5];
    const double det = m[0] * inv[0] + m[1] * inv[4] + m[2] * inv[8] + m[3] * inv[12];
    if (det == 0.0 || !std::isfinite(det))
        return false;
    for (int i = 0; i < 16; ++i)
        out[i / 4][i % 4] = inv[i] / det;
    return true;
}

}  // namespace

Vec3 d3dxVec3Unproject(const Vec3& screen, const D3DVIEWPORT9& viewport, const Matrix4& projection,
                       const Matrix4& view, const Matrix4& world) {
    double inverse[4][4];
    if (!invert(world * view * projection, inverse))
        return {};
    // Screen to normalised device coordinates: x right, y up, depth 0..1 across MinZ..MaxZ.
    const double depthRange = static_cast<double>(viewport.MaxZ) - viewport.MinZ;
    const double ndc[4] = {
        viewport.Width == 0 ? 0.0 : (screen.x - viewport.X) * 2.0 / viewport.Width - 1.0,
        viewport.Height == 0 ? 0.0 : 1.0 - (screen.y - viewport.Y) * 2.0 / viewport.Height,
        depthRange == 0.0 ? 0.0 : (screen.z - viewport.MinZ) / depthRange,
        1.0,
    };
    double p[4] = {};
    for (int c = 0; c < 4; ++c) {
        for (int r = 0; r < 4; ++r)
            p[c] += ndc[r] * inverse[r][c];
    }
    if (p[3] == 0.0)
        return {};
    return {static_cast<float>(p[0] / p[3]), static_cast<float>(p[1] / p[3]),
            static_cast<float>(p[2] / p[3])};
}

}  // namespace velmora
