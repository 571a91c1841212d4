#pragma once
#include "math/Vec3.h"

namespace velmora {

/// Sixteen floats, row-major: m[row][column], element (r, c) at index 4r + c, exactly the
/// layout of D3DMATRIX. Default-constructed as the identity.
struct Matrix4 {
    float m[4][4] = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}};

    const float* data() const { return &m[0][0]; }
    float* data() { return &m[0][0]; }
    bool operator==(const Matrix4&) const = default;
};

Matrix4 operator*(const Matrix4& a, const Matrix4& b);
/// a = a * b; all of a is read before anything is written, so a and b may be one matrix.
Matrix4& operator*=(Matrix4& a, const Matrix4& b);

/// (v, 1) * M, first three components, no division by w.
Vec3 transformRow(const Vec3& v, const Matrix4& M);
/// M * (v, 1)^T, first three components, no division by w.
Vec3 transformColumn(const Matrix4& M, const Vec3& v);

/// Rotations in radians for row vectors, counter-clockwise seen from the axis tip.
Matrix4 rotationX(float radians);
Matrix4 rotationY(float radians);
Matrix4 rotationZ(float radians);
Matrix4 translation(const Vec3& v);
/// Rotation about an arbitrary axis for column vectors (transformColumn); a zero axis
/// stays zero. The transpose of the row-vector rotation with the same axis and angle.
Matrix4 rotationAxis(const Vec3& axis, float radians);
/// Mirror across the plane through the origin with normal n; a zero normal gives identity.
Matrix4 reflection(const Vec3& n);
/// Right-handed view matrix with up (0, 1, 0); target must not lie straight above the eye.
Matrix4 lookAt(const Vec3& eye, const Vec3& target);
/// Right-handed projection mapping view depth zNear..zFar onto 0..1.
Matrix4 perspectiveFov(float fovDegrees, float zNear, float zFar, float aspect);

Matrix4 transpose(const Matrix4& a);

}  // namespace velmora
