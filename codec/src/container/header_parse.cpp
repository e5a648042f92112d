// SPDX-License-Identifier: BSD-3-Clause
#include "container/header_parse.h"

#include <new>

namespace zem {

namespace header_parse {

uint16_t LoadU16(const uint8_t* bytes) { return static_cast<uint16_t>(bytes[0] | bytes[1] << 8); }

uint32_t LoadU32(const uint8_t* bytes) {
    return static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
           static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
}

bool ReadExact(CStreamIo* io, void* buffer, int32_t bytes) {
    int32_t got = 0;
    io->Read(buffer, bytes, &got);
    return got == bytes;
}

namespace {

template <class T>
bool ReadTableOf(CStreamIo* io, int64_t count, std::vector<T>* table) {
    const int64_t bytes = count * static_cast<int64_t>(sizeof(T));
    // Checked before allocating, so a hostile count cannot ask for more memory than the file holds.
    if (count < 0 || bytes > io->GetSize())
        return false;
    try {
        table->assign(static_cast<size_t>(count), T{});
    } catch (const std::bad_alloc&) {
        return false;
    }
    if (!ReadExact(io, table->data(), static_cast<int32_t>(bytes)))
        return false;
    if constexpr (sizeof(T) == 4) {
        for (T& entry : *table)  // stored little-endian
            entry = LoadU32(reinterpret_cast<const uint8_t*>(&entry));
    }
    return true;
}

}  // namespace

bool ReadTable(CStreamIo* io, int64_t count, std::vector<uint32_t>* table) { return ReadTableOf(io, count, table); }

bool ReadTable(CStreamIo* io, int64_t count, std::vector<uint8_t>* table) { return ReadTableOf(io, count, table); }

int32_t OldBlocksPerFrame(int32_t version, int32_t compressionLevel) {
    if (version >= 3950)
        return 0x48000;
    if (version >= 3900 || (version >= 3800 && compressionLevel == 4000))
        return 0x12000;
    return 0x2400;
}

}  // namespace header_parse

}  // namespace zem
