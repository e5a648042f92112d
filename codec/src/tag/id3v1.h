// SPDX-License-Identifier: BSD-3-Clause
// The 128-byte ID3v1 record that a file may carry at its very end instead of a
// ZEM tag: fixed-width ANSI texts, a track byte and a genre byte.
#pragma once

#include "platform/win32.h"

#include <cstdint>
#include <string>

namespace zem {

struct Id3v1Record {
    uint8_t bytes[128];
};

constexpr int kId3v1Bytes = 128;
constexpr int kId3v1TrackOffset = 126;
constexpr int kId3v1GenreOffset = 127;

// One fixed-width text of the record and the field it maps to.
struct Id3v1TextSlot {
    const WCHAR* fieldName;
    int offset;
    int width;
};

// In the order the fields are imported, so that a fresh tag lists them so.
constexpr Id3v1TextSlot kId3v1TextSlots[] = {
    {WTXT("Artist"), 33, 30}, {WTXT("Album"), 63, 30}, {WTXT("Title"), 3, 30},
    {WTXT("Comment"), 97, 28}, {WTXT("Year"), 93, 4},
};

// True when the 128 bytes begin with "TAG".
bool IsId3v1Record(const uint8_t* bytes);

// The slot's bytes up to the end of the slot, less the trailing run of spaces and NULs.
std::string ReadId3v1Text(const Id3v1Record& record, const Id3v1TextSlot& slot);
// The track byte as a decimal number ("0" included).
std::string ReadId3v1Track(const Id3v1Record& record);
// The genre's name, or "Undefined" when the byte names none.
const char* ReadId3v1Genre(const Id3v1Record& record);

// An empty record: zeros behind "TAG".
void StartId3v1Record(Id3v1Record* record);
// Copies at most the slot's width of `ansi`; the rest of the slot stays as it was.
void WriteId3v1Text(Id3v1Record* record, const Id3v1TextSlot& slot, const std::string& ansi);
// Low 8 bits of the decimal number at the start of `text`.
void WriteId3v1Track(Id3v1Record* record, const char* text);
void WriteId3v1Genre(Id3v1Record* record, const char* genreName);

}  // namespace zem
