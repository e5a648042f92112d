// SPDX-License-Identifier: BSD-3-Clause
// Little-endian 32-bit fields of the tag layouts, taken apart byte by byte so
// that neither the host's byte order nor the buffer's alignment matters.
#pragma once

#include <cstdint>

namespace zem {

inline uint32_t LoadLe32(const uint8_t* bytes) {
    return static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
           static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
}

inline int32_t LoadLe32Signed(const uint8_t* bytes) { return static_cast<int32_t>(LoadLe32(bytes)); }

inline void StoreLe32(uint8_t* bytes, uint32_t value) {
    for (int i = 0; i < 4; ++i)
        bytes[i] = static_cast<uint8_t>(value >> (8 * i));
}

}  // namespace zem
