// The check of a frame's output: CRC-32 (reflected polynomial 0xEDB88320) of
// the decoded bytes; a frame stores (not register) >> 1 of it.
#pragma once

#include <cstddef>
#include <cstdint>

namespace frame_crc {

constexpr uint32_t kInitial = 0xFFFFFFFFu;

uint32_t Update(uint32_t reg, const uint8_t* bytes, size_t count);

// The value a frame stores for the register after its last byte.
inline uint32_t CheckValue(uint32_t reg) { return (~reg) >> 1; }

}  // namespace frame_crc
