// SPDX-License-Identifier: BSD-3-Clause
// Pieces of the header reader shared by the current and the old layout.
#pragma once

#include "container/stream_info_record.h"
#include "io/stream_io.h"

#include <cstdint>
#include <vector>

namespace zem {

namespace header_parse {

uint16_t LoadU16(const uint8_t* bytes);
uint32_t LoadU32(const uint8_t* bytes);
inline int32_t LoadI32(const uint8_t* bytes) { return static_cast<int32_t>(LoadU32(bytes)); }

// True when all `bytes` arrived.
bool ReadExact(CStreamIo* io, void* buffer, int32_t bytes);

// Reads a table of `count` entries that the header announces. Counts that are
// negative or whose bytes could not fit in the file are refused before
// anything is allocated; so is a table that the file cuts short.
bool ReadTable(CStreamIo* io, int64_t count, std::vector<uint32_t>* table);
bool ReadTable(CStreamIo* io, int64_t count, std::vector<uint8_t>* table);

// What makes a parsed header unable to describe its file, or null when it
// can: `headerEnd` is the file offset behind the last header data read.
const char* LayoutProblem(const StreamInfoRecord& record, int64_t headerEnd);

// Fills the values that follow from the header fields already in the record.
void DeriveValues(StreamInfoRecord* record);

// Both return 0, or -1 when the header is refused. The file is positioned at
// the stream start, `junkBytes` into the file.
int ReadCurrentHeader(CStreamIo* io, int32_t junkBytes, StreamInfoRecord* record);
int ReadOldHeader(CStreamIo* io, int32_t junkBytes, StreamInfoRecord* record);

// Frame length of old headers, which do not store it.
int32_t OldBlocksPerFrame(int32_t version, int32_t compressionLevel);

}  // namespace header_parse

}  // namespace zem
