// SPDX-License-Identifier: BSD-3-Clause
// The 32-byte block that ends a ZEM tag (and, with the same layout, may open
// it as a header): magic, version, size of items plus footer, item count, flags.
#pragma once

#include <cstdint>

namespace zem {

constexpr int kZemFooterBytes = 32;
constexpr int32_t kZemTagVersion = 2000;
constexpr int64_t kZemMaxItemBytes = 0x1000000;
constexpr int32_t kZemMaxItemCount = 0x10000;
constexpr uint32_t kZemFlagHasHeader = 0x80000000u;
constexpr uint32_t kZemFlagWrittenFooter = 0x40000000u;
constexpr uint32_t kZemFlagIsHeader = 0x20000000u;

struct ZemTagFooter {
    bool hasMagic = false;
    int32_t version = 0;
    int32_t size = 0;  // items plus this footer; a header is not counted
    int32_t itemCount = 0;
    uint32_t flags = 0;
};

ZemTagFooter DecodeZemFooter(const uint8_t* bytes);

// Bytes the tag occupies at the end of the file, header included.
int64_t ZemTagExtent(const ZemTagFooter& footer);
int64_t ZemTagItemBytes(const ZemTagFooter& footer);

// A footer that may be stripped from a file of `fileSize` bytes. Beyond the
// version, count and size limits it must describe at least itself and no more
// than the file holds: a seek to a smaller or larger extent would fail or land
// inside the footer, and the strip would cut the wrong bytes or loop forever.
bool IsStrippableZemFooter(const ZemTagFooter& footer, int64_t fileSize);
// A footer whose items are read: strippable, and not marked as a header.
bool IsReadableZemFooter(const ZemTagFooter& footer, int64_t fileSize);

void EncodeZemFooter(uint8_t* bytes, int32_t size, int32_t itemCount);

}  // namespace zem
