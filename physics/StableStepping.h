#pragma once
// Frame times of any length without the structures gaining energy. The step gathers every
// force once and holds it over the whole step, so a spring mode of damping rate g (per second)
// grows once dt passes 2 / g. A particle's damping adds up over its links, so the bound depends
// on the structure: see stableStep. Motion across stretched links has no damper at all and
// grows at any step: see StableStepper.
#include <cstddef>
#include <cstdint>

#include "math/SubSteps.h"
#include "physics/ContactGrid.h"
#include "physics/EnergyWatch.h"
#include "physics/ParticleList.h"
#include "physics/PhysicsSettings.h"

namespace velmora {

/// Most sub-steps one pass is split into; time beyond that many stable steps is dropped, so a
/// slow machine runs the simulation slower than the clock instead of spiralling.
inline constexpr int kMaxSubSteps = 10;
/// The longest step (seconds), whatever the structure; a 60 Hz frame is still one. A particle
/// resting on a wall bounces off it by the speed one step of its force gives it, and the box
/// rule lifts it back to the wall each time, so it never quite comes to rest; that speed, and
/// with it the jitter, grows with the step (about 0.9 units/s on the floor at this step).
inline constexpr float kLongestStep = 0.017f;
/// The longest step (seconds) under gravity: kLongestStep up to the Earth's, shorter under a
/// stronger pull by the square root of how much stronger. A resting particle's jitter on the
/// floor is the speed one step of gravity gives it; so it grows only with the square root of
/// gravity (about 0.5 units/s under 100), and a pass at 60 Hz needs at most 4 sub-steps.
float longestStep(const Vec3& gravity);
/// The shortest step (seconds): what the settings' ranges allow never needs less.
inline constexpr float kShortestStep = 1e-6f;

/// The longest step (seconds) that keeps every spring mode of the present links damped:
///   h = 0.9 * min(2 / (c * L), 2 r), at most kLongestStep and at least kShortestStep,
/// where c is the largest damping of a link, r the smallest damping / stiffness of a link and
/// L bounds the largest eigenvalue of the links' graph Laplacian from above:
///   L = max over links (u, v) of deg(u) + deg(v) - (neighbours u and v share),
/// a bound that is exact for a fully linked cluster and for a star. A mode of eigenvalue l
/// under a step that holds its force fixed grows unless h < 2 / (c l), where its damping
/// outruns the step, and h < 2 c / k, where the step's own gain per step (h^2 k l / 2 of its
/// energy) stays below what its damper takes (h c l); 0.9 keeps a margin under both. With the
/// described links (c / k = 0.1) the first is always the smaller.
/// Measured over 60 simulated seconds at constant dt with every free particle given a random
/// velocity of up to 2 units/s, one simulation pass per frame: the starting structure (L = 10,
/// true eigenvalue 9.02, limit 0.0222 s) keeps its worst stretch at 1.29 and top speed at 13.3
/// up to dt 0.021 and reaches speed 31 at 0.022 and 290 at 0.025. A 5x5x5 lattice (L = 12,
/// true eigenvalue 10.85) and a particle linked to 12 others (L = 13) break likewise above
/// their limits.
/// Shared neighbours are counted exactly while that takes at most kExactSharedWork steps (the
/// sum over particles of their link counts squared); beyond, for dense clusters, from below:
/// two linked particles of one connected structure of n particles share at least
/// deg(u) + deg(v) - n neighbours, which is exact for a fully linked cluster. Either way the
/// cost is bounded by the links, not their square. Pinned particles count as free, which only
/// lowers the step.
float stableStep(const ParticleList& particles);
inline constexpr std::size_t kExactSharedWork = std::size_t{1} << 22;

/// Advances the simulation pass by pass in stable steps. A pass whose dt is at most the
/// stable step h is exactly one simulation pass with that dt; a longer one is split into
/// k = ceil(dt / h) equal sub-steps, each a whole step-collide-commit pass, at most
/// kMaxSubSteps of them (then each is h long and the rest of dt is dropped). A paused pass
/// only commits. The stable step is worked out again only when the links change. Contacts
/// are found through a grid the stepper keeps, which meets the same pairs in the same order
/// as the scan over all pairs.
///
/// Motion across a stretched link: the link pulls it back with stiffness k (1 - rest / length)
/// and has no damper for it, and a step of length h that holds its force fixed grows a mode of
/// that stiffness w^2 by about h^2 w^2 / 2 of its energy a step, which only the air drag
/// (0.1 h a step) works against: a taut string or a hanging sheet flails at any frame rate.
/// So once the scene's energy is seen rising (EnergyWatch), every step also damps motion
/// across stretched links with the coefficient h k (1 - rest / length): twice what the step
/// adds, so such motion now dies away as fast as it grew. Until then, and again after each
/// restart, passes run the simulation pass exactly as described.
/// The settings rule every step; the stable step follows the links' stiffness and damping.
class StableStepper {
  public:
    /// One pass of the loop over particles 0 .. count-1, dt seconds. Returns the simulated
    /// time, dt or less.
    float advance(ParticleList& particles, std::size_t count, bool running, float dt,
                  const PhysicsSettings& settings = kDescribedSettings);
    /// The scene was replaced or put back as it started: forget what was seen of it.
    void restart();
    /// What it has seen of the scene's energy, to go on from later with resume.
    const EnergyWatch& energyWatch() const { return energyWatch_; }
    /// Goes on from a moment kept earlier, as the stepper was then.
    void resume(const EnergyWatch& watch) {
        energyWatch_ = watch;
        known_ = false;
    }

    /// The stable step of the structure the last advance saw, seconds.
    float lastStableStep() const { return stableStep_; }
    /// The sub-steps the last advance made (1 when it ran as a single pass).
    int lastSubSteps() const { return subSteps_; }
    /// Whether steps damp motion across stretched links.
    bool dampsSideways() const { return energyWatch_.risen(); }

  private:
    void updateStableStep(const ParticleList& particles);

    ContactGrid grid_;
    EnergyWatch energyWatch_;
    std::uint64_t structureSignature_ = 0;
    bool known_ = false;
    float stableStep_ = kLongestStep;
    int subSteps_ = 1;
};

}  // namespace velmora
