#pragma once
// Frame times of any length without the springs gaining energy. The step gathers every force
// once and holds it over the whole step, so a spring mode of damping rate g (per second) grows
// once dt passes 2 / g. A particle's damping adds up over its links, so the bound depends on
// the structure: see stableStep.
#include <cstddef>
#include <cstdint>

#include "math/SubSteps.h"
#include "physics/ContactGrid.h"
#include "physics/ParticleList.h"

namespace velmora {

/// Most sub-steps one pass is split into; time beyond that many stable steps is dropped, so a
/// slow machine runs the simulation slower than the clock instead of spiralling.
inline constexpr int kMaxSubSteps = 10;
/// The longest step for particles without links (seconds): short enough that a particle at
/// falling speed moves well under a radius per step, so contacts are still met.
inline constexpr float kUnlinkedStableStep = 1.0f / 30.0f;

/// The longest step (seconds) that keeps every spring mode of the present links damped:
///   h = 0.9 * 2 / (damping * L),
/// where L bounds the largest eigenvalue of the links' graph Laplacian from above:
///   L = max over links (u, v) of deg(u) + deg(v) - (neighbours u and v share),
/// a bound that is exact for a fully linked cluster and for a star. The stiffness and damping
/// of every link are the same, so each mode's spring rate is 10 times its damping rate and the
/// step's stability limit is 2 / (damping * eigenvalue); 0.9 keeps a margin under it.
/// Measured over 60 simulated seconds at constant dt with every free particle given a random
/// velocity of up to 2 units/s, one simulation pass per frame: the starting structure (L = 10,
/// true eigenvalue 9.02, limit 0.0222 s) keeps its worst stretch at 1.29 and top speed at 13.3
/// up to dt 0.021 and reaches speed 31 at 0.022 and 290 at 0.025; without the random start the
/// cube holds to 0.025 and flies apart at 0.03 (speed 1600). A 5x5x5 lattice (L = 12, true
/// eigenvalue 10.85) and a particle linked to 12 others (L = 13) break likewise above their
/// limits (at 0.1 and 0.03 s); with this step all three stay at stretch < 1.35, speed < 17 for
/// dt from 1/30 to 2 s.
/// Pinned particles are counted as free, which only lowers the step.
float stableStep(const ParticleList& particles);

/// Advances the simulation pass by pass in stable steps. A pass whose dt is at most the
/// stable step h is exactly one simulation pass with that dt; a longer one is split into
/// k = ceil(dt / h) equal sub-steps, each a whole step-collide-commit pass, at most
/// kMaxSubSteps of them (then each is h long and the rest of dt is dropped). A paused pass
/// only commits. The stable step is worked out again only when the links change. Contacts
/// are found through a grid the stepper keeps, which meets the same pairs in the same order
/// as the scan over all pairs.
class StableStepper {
  public:
    /// One pass of the loop over particles 0 .. count-1, dt seconds. Returns the simulated
    /// time, dt or less.
    float advance(ParticleList& particles, std::size_t count, bool running, float dt);

    /// The stable step of the structure the last advance saw, seconds.
    float lastStableStep() const { return stableStep_; }
    /// The sub-steps the last advance made (1 when it ran as a single pass).
    int lastSubSteps() const { return subSteps_; }

  private:
    void updateStableStep(const ParticleList& particles);

    ContactGrid grid_;
    std::uint64_t structureSignature_ = 0;
    bool known_ = false;
    float stableStep_ = kUnlinkedStableStep;
    int subSteps_ = 1;
};

}  // namespace velmora
