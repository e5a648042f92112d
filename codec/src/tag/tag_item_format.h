// SPDX-License-Identifier: BSD-3-Clause
// One item of a ZEM tag as stored: value size n, flags, a NUL-terminated name
// of printable ASCII, then n value bytes. Items are packed back to back.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace zem {

struct TagItemView {
    const char* name = nullptr;  // NUL-terminated inside the parsed buffer
    const uint8_t* value = nullptr;
    int32_t valueSize = 0;
    uint32_t flags = 0;
    int64_t length = 0;  // bytes of the whole item, so the next one starts behind it
};

// Bytes an item takes: value, name, its NUL and the two 32-bit fields.
int64_t TagItemBytes(size_t nameLength, int32_t valueSize);

// Reads the item at `data` within the `bytesLeft` bytes that remain of the
// buffer. False for an item that does not fit: a negative size, a value that
// leaves no room for the name, a name byte outside 0x20-0x7E, or a name whose
// NUL lies beyond the room. Nothing outside the buffer is ever read.
bool ParseTagItem(const uint8_t* data, int64_t bytesLeft, TagItemView* item);

void AppendTagItem(std::vector<uint8_t>* out, const std::string& name, const uint8_t* value,
                   int32_t valueSize, uint32_t flags);

}  // namespace zem
