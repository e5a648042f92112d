// SPDX-License-Identifier: BSD-3-Clause
#include "tag/id3v1.h"

#include "io/decimal_text.h"
#include "tag/genre_names.h"

#include <algorithm>
#include <cstring>

namespace zem {

bool IsId3v1Record(const uint8_t* bytes) {
    return bytes && bytes[0] == 'T' && bytes[1] == 'A' && bytes[2] == 'G';
}

std::string ReadId3v1Text(const Id3v1Record& record, const Id3v1TextSlot& slot) {
    const char* start = reinterpret_cast<const char*>(record.bytes + slot.offset);
    size_t length = static_cast<size_t>(slot.width);
    while (length > 0 && (start[length - 1] == ' ' || start[length - 1] == '\0'))
        --length;
    return std::string(start, length);
}

std::string ReadId3v1Track(const Id3v1Record& record) {
    return std::to_string(static_cast<int>(record.bytes[kId3v1TrackOffset]));
}

const char* ReadId3v1Genre(const Id3v1Record& record) {
    return GenreNameOf(record.bytes[kId3v1GenreOffset]);
}

void StartId3v1Record(Id3v1Record* record) {
    std::memset(record->bytes, 0, sizeof(record->bytes));
    std::memcpy(record->bytes, "TAG", 3);
}

void WriteId3v1Text(Id3v1Record* record, const Id3v1TextSlot& slot, const std::string& ansi) {
    size_t count = std::min(ansi.size(), static_cast<size_t>(slot.width));
    std::memcpy(record->bytes + slot.offset, ansi.data(), count);
}

void WriteId3v1Track(Id3v1Record* record, const char* text) {
    record->bytes[kId3v1TrackOffset] = static_cast<uint8_t>(ParseDecimalNumber(text) & 0xFF);
}

void WriteId3v1Genre(Id3v1Record* record, const char* genreName) {
    record->bytes[kId3v1GenreOffset] = static_cast<uint8_t>(GenreNumberOf(genreName));
}

}  // namespace zem
