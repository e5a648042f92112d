// SPDX-License-Identifier: BSD-3-Clause
#include "pathwick/core/pidl_ops.h"

#include <cstring>

namespace pathwick {

namespace {

int ReadCount(ConstPidl item) {
    return item[0] | (item[1] << 8);
}

// Bytes of the first `count` items (all when count < 0), terminator excluded;
// -1 when the list is broken or too large.
int BytesOfItems(ConstPidl list, int count) {
    int total = 0;
    for (int index = 0; count < 0 || index < count; ++index) {
        int size = ReadCount(list + total);
        if (size == 0) break;
        if (size < 2 || total + size + 2 > MaxPidlBytes) return -1;
        total += size;
    }
    return total;
}

}  // namespace

int GetItemSize(ConstPidl list) {
    return list ? ReadCount(list) : 0;
}

int GetItemCount(ConstPidl list) {
    if (!list || BytesOfItems(list, -1) < 0) return 0;
    int count = 0;
    for (ConstPidl item = list; ReadCount(item) != 0; item += ReadCount(item)) ++count;
    return count;
}

ConstPidl GetNextItem(ConstPidl list) {
    int size = GetItemSize(list);
    if (size < 2) return nullptr;
    return list + size;
}

int GetPidlSize(ConstPidl list) {
    if (!list) return 0;
    int bytes = BytesOfItems(list, -1);
    return bytes < 0 ? 0 : bytes + 2;
}

bool IsDesktopPidl(ConstPidl list) {
    return list && ReadCount(list) == 0;
}

Pidl AllocPidl(PidlAllocator& allocator, int size) {
    if (size <= 0 || size > MaxPidlBytes) return nullptr;
    auto* block = static_cast<Pidl>(allocator.Alloc(static_cast<size_t>(size)));
    if (block) std::memset(block, 0, static_cast<size_t>(size));
    return block;
}

Pidl ClonePidl(PidlAllocator& allocator, ConstPidl list) {
    return CopyPidlItems(allocator, list, -1);
}

Pidl CopyPidlItems(PidlAllocator& allocator, ConstPidl list, int count) {
    if (!list) return nullptr;
    int bytes = BytesOfItems(list, count);
    if (bytes < 0) return nullptr;
    Pidl copy = AllocPidl(allocator, bytes + 2);
    if (copy) std::memcpy(copy, list, static_cast<size_t>(bytes));  // the terminator is already zero
    return copy;
}

Pidl GetParentPidl(PidlAllocator& allocator, ConstPidl list) {
    // A broken list names no item, so there is nothing it could be inside of.
    if (!list || BytesOfItems(list, -1) < 0) return nullptr;
    int count = GetItemCount(list);
    return CopyPidlItems(allocator, list, count > 0 ? count - 1 : 0);
}

Pidl CombinePidls(PidlAllocator& allocator, Pidl a, Pidl b, bool freeA, bool freeB) {
    if (!a && !b) return nullptr;  // nothing to combine: no list, not the desktop
    static const uint8_t empty[2] = {0, 0};
    ConstPidl first = a ? a : empty;
    ConstPidl second = b ? b : empty;
    int firstBytes = BytesOfItems(first, -1);
    int secondBytes = BytesOfItems(second, -1);
    Pidl combined = nullptr;
    if (firstBytes >= 0 && secondBytes >= 0 && firstBytes + secondBytes + 2 <= MaxPidlBytes) {
        combined = AllocPidl(allocator, firstBytes + secondBytes + 2);
        if (combined) {
            std::memcpy(combined, first, static_cast<size_t>(firstBytes));
            std::memcpy(combined + firstBytes, second, static_cast<size_t>(secondBytes));
        }
    }
    if (freeA) FreePidl(allocator, a);
    if (freeB) FreePidl(allocator, b);
    return combined;
}

void FreePidl(PidlAllocator& allocator, Pidl& list) {
    if (list) allocator.Free(list);
    list = nullptr;
}

}  // namespace pathwick
