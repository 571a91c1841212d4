#pragma once
// Shared by the fuzz targets, which feed every input to one reader: the sanitizers catch bad
// reads and writes, and check() a broken promise, as a crash that libFuzzer keeps.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

inline void check(bool condition) {
    if (!condition) {
        std::abort();
    }
}
