// SPDX-License-Identifier: BSD-3-Clause
// Item identifier lists as plain bytes: a run of items, each led by its own
// little-endian 16-bit byte count (the count included), closed by a 16-bit zero.
// The empty list (the terminator alone) names the desktop.
//
// These operations never trust a list blindly: a list whose walk would pass
// 32,767 bytes, or whose item claims fewer than the two bytes of its own
// count, is treated as no list at all, so a broken list never leads a copy or
// a count past its end.
#pragma once

#include <cstddef>
#include <cstdint>

namespace pathwick {

// A list handle: the address of an owned block, or null for none.
using Pidl = uint8_t*;
using ConstPidl = const uint8_t*;

// Where the blocks of identifier lists come from and go back to.
class PidlAllocator {
public:
    virtual ~PidlAllocator() = default;
    virtual void* Alloc(size_t bytes) = 0;  // null on failure
    virtual void Free(void* block) = 0;
};

constexpr int MaxPidlBytes = 32767;

int GetItemSize(ConstPidl list);
int GetItemCount(ConstPidl list);
ConstPidl GetNextItem(ConstPidl list);
int GetPidlSize(ConstPidl list);
bool IsDesktopPidl(ConstPidl list);

Pidl AllocPidl(PidlAllocator& allocator, int size);
Pidl ClonePidl(PidlAllocator& allocator, ConstPidl list);
// The first `count` items and a terminator; count -1 copies every item.
Pidl CopyPidlItems(PidlAllocator& allocator, ConstPidl list, int count);
// Every item but the last; the desktop for a list of one item or none. A missing
// or broken list has no parent: null.
Pidl GetParentPidl(PidlAllocator& allocator, ConstPidl list);
// a's items followed by b's. A missing list counts as empty beside a present
// one; two missing lists give null, not the desktop. The inputs are
// freed when asked for, whether or not the new list could be made, so a caller
// that hands them over never has to free them on the failure path.
Pidl CombinePidls(PidlAllocator& allocator, Pidl a, Pidl b, bool freeA, bool freeB);
void FreePidl(PidlAllocator& allocator, Pidl& list);

}  // namespace pathwick
