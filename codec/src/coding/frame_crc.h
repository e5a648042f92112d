// SPDX-License-Identifier: BSD-3-Clause
// The check of a frame's output: CRC-32 (reflected polynomial 0xEDB88320) of
// the decoded bytes; a frame stores (not register) >> 1 of it.
#pragma once

#include <cstddef>
#include <cstdint>

namespace zem {

namespace frame_crc {

constexpr uint32_t kInitial = 0xFFFFFFFFu;

// The register after `count` more bytes. Long runs take the fastest path the
// processor offers; every path gives the same register.
uint32_t Update(uint32_t reg, const uint8_t* bytes, size_t count);

// The value a frame stores for the register after its last byte.
inline uint32_t CheckValue(uint32_t reg) { return (~reg) >> 1; }

// The paths Update chooses between, for their tests and benchmarks.
// Eight table lookups per eight bytes, on any processor.
uint32_t UpdateSliced(uint32_t reg, const uint8_t* bytes, size_t count);
// Folding with carry-less multiplication: only where FoldingAvailable().
bool FoldingAvailable();
uint32_t UpdateFolded(uint32_t reg, const uint8_t* bytes, size_t count);

}  // namespace frame_crc

}  // namespace zem
