#pragma once
// Counts the heap allocations (operator new, every form but the aligned ones) the calling
// thread makes while a counter is alive. A test binary that uses it links
// AllocationCounter.cpp, which replaces the global operator new and delete; other threads
// (a GL driver's workers) are not counted, and C allocations (malloc) are not counted.
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
