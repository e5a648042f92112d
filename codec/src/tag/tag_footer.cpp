// SPDX-License-Identifier: BSD-3-Clause
#include "tag/tag_footer.h"

#include "tag/tag_le32.h"

#include <cstring>

namespace zem {

namespace {
const char kMagic[8] = {'Z', 'E', 'M', 'T', 'A', 'G', 'E', 'X'};
}  // namespace

ZemTagFooter DecodeZemFooter(const uint8_t* bytes) {
    ZemTagFooter footer;
    footer.hasMagic = std::memcmp(bytes, kMagic, sizeof(kMagic)) == 0;
    footer.version = LoadLe32Signed(bytes + 8);
    footer.size = LoadLe32Signed(bytes + 12);
    footer.itemCount = LoadLe32Signed(bytes + 16);
    footer.flags = LoadLe32(bytes + 20);
    return footer;
}

int64_t ZemTagExtent(const ZemTagFooter& footer) {
    int64_t extent = footer.size;
    if (footer.flags & kZemFlagHasHeader)
        extent += kZemFooterBytes;
    return extent;
}

int64_t ZemTagItemBytes(const ZemTagFooter& footer) {
    return static_cast<int64_t>(footer.size) - kZemFooterBytes;
}

bool IsStrippableZemFooter(const ZemTagFooter& footer, int64_t fileSize) {
    if (!footer.hasMagic || footer.version > kZemTagVersion || footer.itemCount > kZemMaxItemCount)
        return false;
    int64_t itemBytes = ZemTagItemBytes(footer);
    return itemBytes >= 0 && itemBytes <= kZemMaxItemBytes && ZemTagExtent(footer) <= fileSize;
}

bool IsReadableZemFooter(const ZemTagFooter& footer, int64_t fileSize) {
    return IsStrippableZemFooter(footer, fileSize) && (footer.flags & kZemFlagIsHeader) == 0;
}

void EncodeZemFooter(uint8_t* bytes, int32_t size, int32_t itemCount) {
    std::memcpy(bytes, kMagic, sizeof(kMagic));
    StoreLe32(bytes + 8, static_cast<uint32_t>(kZemTagVersion));
    StoreLe32(bytes + 12, static_cast<uint32_t>(size));
    StoreLe32(bytes + 16, static_cast<uint32_t>(itemCount));
    StoreLe32(bytes + 20, kZemFlagWrittenFooter);
    std::memset(bytes + 24, 0, 8);
}

}  // namespace zem
