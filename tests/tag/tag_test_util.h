// SPDX-License-Identifier: BSD-3-Clause
// Builders of tag bytes and small readers of fields, shared by the tag tests.
#pragma once

#include "tag/tag_block.h"
#include "tests/support/test_files.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tag_test {

using testing_support::Bytes;

// One stored item; `valueSize` overrides the size field (for broken items).
Bytes Item(const std::string& name, const std::string& value, uint32_t flags = 0);
Bytes ItemWithSize(int32_t valueSize, uint32_t flags, const std::string& nameAndRest);

Bytes Footer(int32_t version, int32_t size, int32_t count, uint32_t flags = 0x40000000u);
// Items followed by a footer that describes them.
Bytes Tag(const std::vector<Bytes>& items, int32_t version = 2000, uint32_t flags = 0x40000000u);
// A header block followed by the items and a footer, both flagged with bit 31.
Bytes TagWithHeader(const std::vector<Bytes>& items);

struct Id3v1Fields {
    std::string title, artist, album, year, comment;
    uint8_t track = 0;
    uint8_t genre = 255;
};
Bytes Id3v1(const Id3v1Fields& fields);

Bytes Concat(const std::vector<Bytes>& parts);
Bytes Audio(size_t count);  // stand-in for what precedes a tag

// The field's text as UTF-8, or "<none>" when GetFieldText fails.
std::string Text(CTagBlock& tag, const WCHAR* name);
// Names of all fields in table order, joined by ','.
std::string Names(CTagBlock& tag);
WString Wide(const std::string& utf8);

}  // namespace tag_test
