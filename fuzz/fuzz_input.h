// SPDX-License-Identifier: BSD-3-Clause
// Shared limits of the fuzz targets: inputs are copied into buffers of exactly
// their size so that a read past the end is caught at once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace fuzzing {

// Larger inputs add nothing that a smaller one cannot reach and slow the run.
constexpr size_t kMaxInputBytes = 1 << 20;

inline std::vector<uint8_t> CopyInput(const uint8_t* data, size_t size) {
    return std::vector<uint8_t>(data, data + size);
}

// A broken invariant is a finding: say which one, and stop so that the
// fuzzer saves the input.
inline void RequireAt(bool condition, const char* text, int line) {
    if (!condition) {
        std::fprintf(stderr, "invariant broken at line %d: %s\n", line, text);
        std::abort();
    }
}

}  // namespace fuzzing

#define FUZZ_REQUIRE(condition) ::fuzzing::RequireAt((condition), #condition, __LINE__)
