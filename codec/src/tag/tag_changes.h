// SPDX-License-Identifier: BSD-3-Clause
// Changes to the fields of a tag, kept as a list and replayed on the tags a
// file holds when it is saved (zem_tag_save()): a save edits what the file
// holds then, field by field, and keeps everything no change names.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zem {

class CTagBlock;

struct TagChange {
    enum Kind { Set, Remove, Clear };
    Kind kind = Set;
    std::string name;            // UTF-8; Set and Remove
    std::vector<uint8_t> value;  // Set: an empty value removes the field
    bool text = true;            // Set: UTF-8 text rather than bytes
};

// Applies `changes` in order to the ZEM tag's fields (`tag`) and, when an
// ID3v1 record is kept beside it, to the record's (`id3v1`, else null): every
// change goes to both, but for binary values, which a record cannot hold.
// Removing a read-only field works; setting one fails. Returns 0, or the
// codec's error at the first change the ZEM tag refuses.
int ApplyTagChanges(CTagBlock& tag, CTagBlock* id3v1, const std::vector<TagChange>& changes);

}  // namespace zem
