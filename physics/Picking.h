#pragma once
#include "math/Camera.h"
#include "math/Vec3.h"
#include "physics/ParticleList.h"

namespace velmora {

/// The points under the cursor on the near and the far plane of the view volume; the pick
/// line runs through both and extends both ways.
struct PickRay {
    Vec3 nearPoint;
    Vec3 farPoint;
};

/// Radius of the sphere the mouse picks, the particle's radius.
inline constexpr float kPickRadius = 1.0f;

/// Whether the infinite line through p1 and p2 meets the sphere of radius r about m.
bool lineHitsSphere(const Vec3& p1, const Vec3& p2, const Vec3& m, float r);

/// The particle nearest the eye (centre distance) whose pick sphere the ray's line crosses,
/// in front of the camera; the earlier in the list on equal distances; null when none.
Particle* pickParticle(const PickRay& ray, const Camera& camera, const ParticleList& particles);

}  // namespace velmora
