#pragma once
#include <cmath>

#include "math/Conventions.h"

namespace velmora {

/// Two vectors are nearly equal when every component differs by strictly less than this.
inline constexpr float kNearlyEqualTolerance = 0.002f;

/// Three 32-bit floats in world units (or units per second), nothing between them.
struct Vec3 {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;

    constexpr Vec3() = default;
    constexpr Vec3(float x_, float y_, float z_) : x(x_), y(y_), z(z_) {}

    Vec3 cross(const Vec3& b) const {
        return {y * b.z - z * b.y, z * b.x - x * b.z, x * b.y - y * b.x};
    }
    /// Unit-length copy; the zero vector gives the zero vector.
    Vec3 normalized() const;
    /// Normalises in place; the zero vector is left unchanged.
    void normalize();
    bool nearlyEqual(const Vec3& b) const {
        return std::fabs(x - b.x) < kNearlyEqualTolerance &&
               std::fabs(y - b.y) < kNearlyEqualTolerance &&
               std::fabs(z - b.z) < kNearlyEqualTolerance;
    }
};

inline Vec3 operator+(const Vec3& a, const Vec3& b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline Vec3 operator-(const Vec3& a, const Vec3& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline Vec3 operator-(const Vec3& a) { return {-a.x, -a.y, -a.z}; }
inline Vec3 operator*(const Vec3& a, float s) { return {a.x * s, a.y * s, a.z * s}; }
/// Multiplies by the reciprocal, computed once; s = 0 is the caller's problem.
inline Vec3 operator/(const Vec3& a, float s) {
    const float r = 1.0f / s;
    return {a.x * r, a.y * r, a.z * r};
}
inline Vec3& operator+=(Vec3& a, const Vec3& b) { return a = a + b; }
inline Vec3& operator-=(Vec3& a, const Vec3& b) { return a = a - b; }
inline Vec3& operator*=(Vec3& a, float s) { return a = a * s; }

/// There is no dot-product operation in the system's vocabulary; this one serves the few
/// places (view matrix, picking, camera checks) that write a dot product out.
inline float dot(const Vec3& a, const Vec3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline float lengthSquared(const Vec3& a) { return a.x * a.x + a.y * a.y + a.z * a.z; }
inline float length(const Vec3& a) { return std::sqrt(lengthSquared(a)); }
/// Unit-length copy with no zero test: callers never pass the zero vector.
inline Vec3 unitVector(const Vec3& a) { return a * (1.0f / length(a)); }

}  // namespace velmora
