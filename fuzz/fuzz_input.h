// Shared limits of the fuzz targets: inputs are copied into buffers of exactly
// their size so that a read past the end is caught at once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

namespace fuzzing {

// Larger inputs add nothing that a smaller one cannot reach and slow the run.
constexpr size_t kMaxInputBytes = 1 << 20;

inline std::vector<uint8_t> CopyInput(const uint8_t* data, size_t size) {
    return std::vector<uint8_t>(data, data + size);
}

// A broken invariant is a finding: stop so the fuzzer saves the input.
inline void Require(bool condition) {
    if (!condition)
        std::abort();
}

}  // namespace fuzzing
