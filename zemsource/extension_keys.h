// SPDX-License-Identifier: BSD-3-Clause
// The "Source Filter" value of a Media Type\Extensions key, shared with other
// filters: another program may have named its own filter there before us.
// Claiming the key keeps that earlier value beside ours (under a value of our
// own) and releasing it puts it back, so registering and unregistering leave
// the key as they found it; releasing removes only what claiming added.
#pragma once

#include <windows.h>

#include <string>

namespace zemsource {

// Where the value that ours replaced waits to be put back.
extern const wchar_t kEarlierSourceFilterValue[];

// Names `filter` (a class id in braces) as the source filter of `root`\`key`,
// creating the key as needed; false when the registry refuses.
bool ClaimExtension(HKEY root, const std::wstring& key, const std::wstring& filter);
// Undoes ClaimExtension: while the key still names `filter`, the earlier value
// comes back (or the value goes, when there was none); a key left with no
// values and no subkeys goes too.
void ReleaseExtension(HKEY root, const std::wstring& key, const std::wstring& filter);

}  // namespace zemsource
