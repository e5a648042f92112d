// SPDX-License-Identifier: BSD-3-Clause
// The shell's namespace as the control uses it: the shared allocator and
// desktop folder, identifier lists in the shell's allocator, binding to
// folders and display names.
#pragma once

#include "com/com_ref.h"
#include "pathwick/core/pidl_ops.h"

#include <windows.h>
#include <shlobj.h>

#include <string>

namespace pathwick {

extern IMalloc* gMalloc;
extern IShellFolder* gDesktopFolder;
extern const IID IID_IShellFolder_;
extern const IID IID_IShellDetails_;

// Creates the two singletons on first use; false when the shell has none.
bool EnsureShellSingletons();
PidlAllocator& ShellAllocator();

inline PCUIDLIST_RELATIVE AsRelative(ConstPidl list) { return reinterpret_cast<PCUIDLIST_RELATIVE>(list); }
inline PCIDLIST_ABSOLUTE AsAbsolute(ConstPidl list) { return reinterpret_cast<PCIDLIST_ABSOLUTE>(list); }
inline PCUITEMID_CHILD AsChild(ConstPidl list) { return reinterpret_cast<PCUITEMID_CHILD>(list); }

Pidl ClonePidl(ConstPidl list);
Pidl CombinePidls(Pidl a, Pidl b, bool freeA, bool freeB);
void FreePidl(Pidl& list);

// The folder `list` names below `parent`; the desktop when binding fails.
com::ComRef<IShellFolder> BindToFolder(IShellFolder* parent, ConstPidl list);
// The folder `absolute` names, bound from the desktop; none when binding a
// non-empty list fails.
com::ComRef<IShellFolder> BindToFolderOrNone(ConstPidl absolute);
com::ComRef<IShellFolder> GetParentFolder(ConstPidl list);
std::wstring GetDisplayName(IShellFolder* folder, ConstPidl relative, DWORD flags);
std::wstring StrRetToString(STRRET& record, ConstPidl relative);
// Attributes of one item: the subset of `wanted` that holds; 0 on failure.
ULONG GetAttributes(IShellFolder* folder, ConstPidl relative, ULONG wanted);

}  // namespace pathwick
