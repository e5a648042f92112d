// SPDX-License-Identifier: BSD-3-Clause
#include "tag/tag_item_format.h"

#include "tag/tag_le32.h"

namespace zem {

namespace {
constexpr int64_t kFixedBytes = 8;

// Length of the name at `name`, or -1 when a byte is not printable ASCII or no
// NUL comes within `room` bytes.
int64_t MeasureItemName(const uint8_t* name, int64_t room) {
    for (int64_t i = 0; i < room; ++i) {
        if (name[i] == 0)
            return i;
        if (name[i] < 0x20 || name[i] > 0x7E)
            return -1;
    }
    return -1;
}
}  // namespace

int64_t TagItemBytes(size_t nameLength, int32_t valueSize) {
    return static_cast<int64_t>(valueSize) + static_cast<int64_t>(nameLength) + kFixedBytes + 1;
}

bool ParseTagItem(const uint8_t* data, int64_t bytesLeft, TagItemView* item) {
    if (!data || bytesLeft < kFixedBytes + 1)
        return false;
    int32_t valueSize = LoadLe32Signed(data);
    if (valueSize < 0)
        return false;
    int64_t room = bytesLeft - valueSize - kFixedBytes;
    if (room <= 0)
        return false;
    int64_t nameLength = MeasureItemName(data + kFixedBytes, room);
    if (nameLength < 0)
        return false;
    item->name = reinterpret_cast<const char*>(data + kFixedBytes);
    item->value = data + kFixedBytes + nameLength + 1;
    item->valueSize = valueSize;
    item->flags = LoadLe32(data + 4);
    item->length = TagItemBytes(static_cast<size_t>(nameLength), valueSize);
    return true;
}

void AppendTagItem(std::vector<uint8_t>* out, const std::string& name, const uint8_t* value,
                   int32_t valueSize, uint32_t flags) {
    uint8_t fixed[kFixedBytes];
    StoreLe32(fixed, static_cast<uint32_t>(valueSize));
    StoreLe32(fixed + 4, flags);
    out->insert(out->end(), fixed, fixed + kFixedBytes);
    out->insert(out->end(), name.begin(), name.end());
    out->push_back(0);
    if (valueSize > 0)
        out->insert(out->end(), value, value + valueSize);
}

}  // namespace zem
