#include "tests/app/AllocationCounter.h"

#include <cstdlib>
#include <new>

namespace {

thread_local std::size_t allocations = 0;
thread_local int counters = 0;

void* allocate(std::size_t size) {
    if (counters > 0)
        ++allocations;
    // malloc(0) may give null; operator new must not.
    return std::malloc(size == 0 ? 1 : size);
}

}  // namespace

namespace velmora::testing {

AllocationCounter::AllocationCounter() : start_(allocations) {
    ++counters;
}

AllocationCounter::~AllocationCounter() {
    --counters;
}

std::size_t AllocationCounter::count() const {
    return allocations - start_;
}

}  // namespace velmora::testing

// Plain malloc and free underneath, so the sanitizers see matching pairs; the array forms
// reach these through the library's own.
void* operator new(std::size_t size) {
    if (void* p = allocate(size))
        return p;
    throw std::bad_alloc();
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    return allocate(size);
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}
void operator delete(void* p, const std::nothrow_t&) noexcept {
    std::free(p);
}
