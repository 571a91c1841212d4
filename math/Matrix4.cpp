#include "math/Matrix4.h"

#include <cmath>

namespace velmora {

Matrix4 operator*(const Matrix4& a, const Matrix4& b) {
    Matrix4 r;
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) {
            float sum = 0.0f;
            for (int k = 0; k < 4; ++k) {
                sum += a.m[i][k] * b.m[k][j];
            }
            r.m[i][j] = sum;
        }
    }
    return r;
}

Matrix4& operator*=(Matrix4& a, const Matrix4& b) {
    // The product goes to a temporary first: a is read whole before it is overwritten.
    const Matrix4 product = a * b;
    a = product;
    return a;
}

Vec3 transformRow(const Vec3& v, const Matrix4& M) {
    return {v.x * M.m[0][0] + v.y * M.m[1][0] + v.z * M.m[2][0] + M.m[3][0],
            v.x * M.m[0][1] + v.y * M.m[1][1] + v.z * M.m[2][1] + M.m[3][1],
            v.x * M.m[0][2] + v.y * M.m[1][2] + v.z * M.m[2][2] + M.m[3][2]};
}

Vec3 transformColumn(const Matrix4& M, const Vec3& v) {
    return {M.m[0][0] * v.x + M.m[0][1] * v.y + M.m[0][2] * v.z + M.m[0][3],
            M.m[1][0] * v.x + M.m[1][1] * v.y + M.m[1][2] * v.z + M.m[1][3],
            M.m[2][0] * v.x + M.m[2][1] * v.y + M.m[2][2] * v.z + M.m[2][3]};
}

Matrix4 rotationX(float a) {
    Matrix4 r;
    const float c = std::cos(a), s = std::sin(a);
    r.m[1][1] = c;
    r.m[1][2] = s;
    r.m[2][1] = -s;
    r.m[2][2] = c;
    return r;
}

Matrix4 rotationY(float a) {
    Matrix4 r;
    const float c = std::cos(a), s = std::sin(a);
    r.m[0][0] = c;
    r.m[0][2] = -s;
    r.m[2][0] = s;
    r.m[2][2] = c;
    return r;
}

Matrix4 rotationZ(float a) {
    Matrix4 r;
    const float c = std::cos(a), s = std::sin(a);
    r.m[0][0] = c;
    r.m[0][1] = s;
    r.m[1][0] = -s;
    r.m[1][1] = c;
    return r;
}

Matrix4 translation(const Vec3& v) {
    Matrix4 r;
    r.m[3][0] = v.x;
    r.m[3][1] = v.y;
    r.m[3][2] = v.z;
    return r;
}

Matrix4 rotationAxis(const Vec3& axis, float a) {
    Vec3 n = axis;
    n.normalize();
    const float c = std::cos(a), s = std::sin(a), t = 1.0f - c;
    const float x = n.x, y = n.y, z = n.z;
    Matrix4 r;
    r.m[0][0] = c + t * x * x;
    r.m[0][1] = t * x * y - z * s;
    r.m[0][2] = t * x * z + y * s;
    r.m[1][0] = t * x * y + z * s;
    r.m[1][1] = c + t * y * y;
    r.m[1][2] = t * y * z - x * s;
    r.m[2][0] = t * x * z - y * s;
    r.m[2][1] = t * y * z + x * s;
    r.m[2][2] = c + t * z * z;
    return r;
}

Matrix4 reflection(const Vec3& normal) {
    Vec3 n = normal;
    n.normalize();
    const float v[3] = {n.x, n.y, n.z};
    Matrix4 r;
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) {
            r.m[i][j] = (i == j ? 1.0f : 0.0f) - 2.0f * v[i] * v[j];
        }
    }
    return r;
}

Matrix4 lookAt(const Vec3& eye, const Vec3& target) {
    const Vec3 f = unitVector(target - eye);
    const Vec3 s = unitVector(f.cross(Vec3(0, 1, 0)));
    const Vec3 u = s.cross(f);
    Matrix4 r;
    r.m[0][0] = s.x, r.m[0][1] = u.x, r.m[0][2] = -f.x, r.m[0][3] = 0;
    r.m[1][0] = s.y, r.m[1][1] = u.y, r.m[1][2] = -f.y, r.m[1][3] = 0;
    r.m[2][0] = s.z, r.m[2][1] = u.z, r.m[2][2] = -f.z, r.m[2][3] = 0;
    r.m[3][0] = -dot(s, eye), r.m[3][1] = -dot(u, eye), r.m[3][2] = dot(f, eye), r.m[3][3] = 1;
    return r;
}

Matrix4 perspectiveFov(float fovDegrees, float zNear, float zFar, float aspect) {
    const float h = fovDegrees * kDegreesToRadians * 0.5f;
    const float d = 1.0f / std::tan(h);
    Matrix4 r;
    r.m[0][0] = d / aspect;
    r.m[1][1] = d;
    r.m[2][2] = zFar / (zNear - zFar);
    r.m[2][3] = -1.0f;
    r.m[3][2] = zNear * zFar / (zNear - zFar);
    r.m[3][3] = 0.0f;
    return r;
}

Matrix4 transpose(const Matrix4& a) {
    Matrix4 r;
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) {
            r.m[i][j] = a.m[j][i];
        }
    }
    return r;
}

}  // namespace velmora
