// SPDX-License-Identifier: BSD-3-Clause
#include "tag/tag_changes.h"

#include "container/codec_error.h"
#include "io/text_convert.h"
#include "tag/tag_block.h"

namespace zem {

namespace {

// Item flags of a binary value: readers hand it out as bytes, not text.
constexpr uint32_t kBinaryItem = 0x2;

int Apply(CTagBlock& tag, const TagChange& change, bool record) {
    if (change.kind == TagChange::Clear) {
        tag.ClearFields();
        return CODEC_OK;
    }
    const WString name = Utf8ToWide(change.name.c_str());
    if (change.kind == TagChange::Remove || change.value.empty()) {
        tag.DeleteField(name.c_str());  // a missing field is no failure
        return CODEC_OK;
    }
    if (record && !change.text)
        return CODEC_OK;
    if (change.text) {
        const std::string text(change.value.begin(), change.value.end());
        return tag.SetFieldTextNarrow(name.c_str(), text.c_str(), 1) == 0 ? CODEC_OK : CODEC_FAILED;
    }
    return tag.SetFieldBytes(name.c_str(), change.value.data(), static_cast<int>(change.value.size()), kBinaryItem) == 0
               ? CODEC_OK
               : CODEC_FAILED;
}

}  // namespace

int ApplyTagChanges(CTagBlock& tag, CTagBlock* id3v1, const std::vector<TagChange>& changes) {
    for (const TagChange& change : changes) {
        if (int error = Apply(tag, change, false))
            return error;
        if (id3v1)
            Apply(*id3v1, change, true);  // a record's few fields are never read-only: what the ZEM tag takes, it takes
    }
    return CODEC_OK;
}

}  // namespace zem
