#pragma once
// The fuzz targets' own assertion: a broken promise ends the run as a crash libFuzzer keeps.
#include <cstdlib>

inline void check(bool condition) {
    if (!condition) {
        std::abort();
    }
}
