#pragma once
// Cutting a long time step into equal shorter ones, for everything that is stepped with a
// step length it cannot exceed (the simulation, the camera's glide).

namespace velmora {

/// A pass of dt seconds cut into sub-steps of at most h, at most maxSubSteps of them.
struct SubSteps {
    int count = 1;
    float length = 0.0f;  ///< seconds each
};

/// A dt of at most h is one step of dt; a longer one is ceil(dt / h) equal steps, or, past
/// maxSubSteps of them, maxSubSteps steps of h (the rest of dt is dropped).
SubSteps splitIntoSubSteps(float dt, float h, int maxSubSteps);

}  // namespace velmora
