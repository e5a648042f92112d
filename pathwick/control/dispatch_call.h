// SPDX-License-Identifier: BSD-3-Clause
// Late-bound calls of _Explorer's methods: the dispatch identifiers of the
// type library and the reading and writing back of 32-bit arguments.
#pragma once

#include <windows.h>
#include <oleauto.h>

namespace pathwick {

enum ExplorerDispId : DISPID { SortListviewId = 1, TerminateId = 2, RefreshFileListsId = 3, SetHeaderIconsId = 4 };

// A 32-bit argument by value or by reference (to a long or to a variant).
// False when it cannot be read as a 32-bit integer.
bool ReadLongArgument(const VARIANT& argument, LONG& value);
// Hands a value back through a by-reference argument; by-value ones stay as they are.
void WriteLongArgument(VARIANT& argument, LONG value);

}  // namespace pathwick
