#include "physics/EditingTools.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "physics/Particle.h"
#include "physics/SceneLimits.h"

namespace velmora {
namespace {

bool isFinite(const Vec3& v) {
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

void deleteParticle(ParticleList& particles, Particle* doomed) {
    doomed->unlinkAll();
    const auto it = std::find_if(particles.begin(), particles.end(),
                                 [doomed](const auto& p) { return p.get() == doomed; });
    if (it != particles.end()) {
        particles.erase(it);  // keeps the order of the rest
    }
}

void middleButton(PickSource& source, const Camera& camera, ParticleList& particles,
                  EditingState& state) {
    state.joinSel = nullptr;
    state.dragTarget = nullptr;
    const PickRay ray = source.makePickRay();
    if (Particle* hit = pickParticle(ray, camera, particles)) {
        deleteParticle(particles, hit);
        return;
    }
    Vec3 spawn;
    if (pickLineMeetsPlaneZ0(ray, spawn)) {
        state.roomFull = particles.size() >= kMaxSceneParticles;
        if (!state.roomFull) {
            particles.push_back(std::make_unique<Particle>(spawn));
        }
    }
}

RightClick rightButton(const EditingInput& in, PickSource& source, const Camera& camera,
                       ParticleList& particles, EditingState& state) {
    Particle* prev = state.joinSel;
    state.joinSel = nullptr;
    state.dragTarget = nullptr;
    state.joinSel = pickParticle(source.makePickRay(), camera, particles);
    if (state.joinSel == nullptr) {
        return RightClick::None;
    }
    if (prev == nullptr) {
        return RightClick::SelectedFirst;
    }
    RightClick result = RightClick::None;
    if (state.joinSel == prev) {
        prev->pinned = !prev->pinned;
        result = prev->pinned ? RightClick::Pinned : RightClick::Unpinned;
    } else if (state.joinSel->isLinkedTo(prev)) {
        state.joinSel->unlink(prev);
        result = RightClick::Unlinked;
    } else {
        state.joinSel->link(prev, -1.0f, in.linkStiffness, in.linkDamping);
        result = RightClick::Linked;
    }
    state.joinSel = nullptr;
    return result;
}

void dragStep(const EditingInput& in, PickSource& source, const Camera& camera, Particle& target) {
    const Vec3 s = camera.right();
    const Vec3 f = camera.forward();
    const Vec3 u = unitVector(s.cross(f));
    const float k = in.shiftHeld ? kDragFactorFast : kDragFactor;
    const Vec3 d = (s * static_cast<float>(in.cursorDx) + u * -static_cast<float>(in.cursorDy)) * k;
    // A pass with no measured time still moves the particle but gives it no velocity:
    // d / 0 would put an infinite velocity into the simulation.
    const Vec3 velocity = in.dt > 0.0f ? d / in.dt : Vec3();
    // A running free particle's step rebuilds next from current; otherwise only next survives.
    ParticleState& written = (in.running && !target.pinned) ? target.current : target.next;
    written.position += d;
    written.velocity = velocity;
    source.recentreCursor();
}

}  // namespace

bool pickLineMeetsPlaneZ0(const PickRay& ray, Vec3& point) {
    const Vec3 along = ray.farPoint - ray.nearPoint;
    if (lengthSquared(along) == 0.0f) {
        return false;
    }
    const Vec3 dir = unitVector(along);
    const Vec3 q = ray.nearPoint + dir;
    const float denominator = ray.nearPoint.z - q.z;
    if (denominator == 0.0f) {
        return false;
    }
    const float t = ray.nearPoint.z / denominator;
    point = ray.nearPoint + dir * t;
    return isFinite(point);
}

RightClick runEditingTools(const EditingInput& in, PickSource& source, const Camera& camera,
                           ParticleList& particles, EditingState& state) {
    if (in.middlePressed) {
        middleButton(source, camera, particles, state);
    }
    RightClick right = RightClick::None;
    if (in.rightPressed) {
        right = in.running ? RightClick::IgnoredWhileRunning
                           : rightButton(in, source, camera, particles, state);
    }
    if (in.leftPressed) {
        state.joinSel = nullptr;
        state.dragTarget = pickParticle(source.makePickRay(), camera, particles);
    }
    if (in.leftReleased) {
        state.dragTarget = nullptr;
    }
    if (in.leftHeld && state.dragTarget != nullptr) {
        dragStep(in, source, camera, *state.dragTarget);
    }
    return right;
}

}  // namespace velmora
