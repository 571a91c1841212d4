// Counts every allocation of the process through the global allocation functions, so the
// test can check that a simulation pass, once the scene is set up, allocates nothing.
#include <gtest/gtest.h>

#include <cstdlib>
#include <new>

#include "physics/ContactGrid.h"
#include "physics/Particle.h"
#include "physics/Simulation.h"
#include "scenes/BuiltInScenes.h"

static std::size_t allocationCount = 0;

void* operator new(std::size_t size) {
    ++allocationCount;
    if (void* p = std::malloc(size == 0 ? 1 : size)) {
        return p;
    }
    throw std::bad_alloc();
}
// The compiler cannot see that the replaced operator new above is malloc, so freeing what it
// returned looks mismatched once inlined.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}
#pragma GCC diagnostic pop

namespace velmora {
namespace {

TEST(SimulationPass, AllocatesNothingOnceTheGridHasSeenTheScene) {
    ParticleList particles;
    buildScene(latticeScene(10, 10, 10), particles);
    buildScene(startScene(), particles);
    ContactGrid grid;
    simulationPass(particles, true, 1.0f / 60.0f, grid);
    const std::size_t before = allocationCount;
    // The lattice falls onto the floor and onto the structure: cells fill and empty.
    for (int pass = 0; pass < 200; ++pass) {
        simulationPass(particles, true, pass % 10 == 0 ? 0.1f : 1.0f / 60.0f, grid);
        simulationPass(particles, pass % 2 == 0, 1.0f / 60.0f);
    }
    EXPECT_EQ(allocationCount, before);
    // The count sees the allocations it is meant to see.
    particles.clear();
    buildScene(startScene(), particles);
    EXPECT_GT(allocationCount, before);
}

}  // namespace
}  // namespace velmora
