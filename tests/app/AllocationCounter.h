#pragma once
// Counts the calling thread's calls of operator new (arrays through it, not the aligned forms)
// while a counter is alive: AllocationCounter.cpp replaces the global operator new and
// delete. Other threads (a GL driver's workers) and malloc are not counted.
#include <cstddef>

namespace velmora::testing {

class AllocationCounter {
  public:
    AllocationCounter();
    ~AllocationCounter();
    AllocationCounter(const AllocationCounter&) = delete;
    AllocationCounter& operator=(const AllocationCounter&) = delete;

    /// Allocations on this thread since construction.
    std::size_t count() const;

  private:
    std::size_t start_;
};

}  // namespace velmora::testing
