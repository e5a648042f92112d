// SPDX-License-Identifier: BSD-3-Clause
// Registry values a server writes on registering and takes away again on
// unregistering, so that the two leave the registry as they found it.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace com {

struct RegistryEntry {
    HKEY root;
    std::wstring key;
    std::wstring name;  // empty: the key's default value
    std::wstring text;  // the value, unless it is a number
    DWORD number = 0;
    bool isNumber = false;
    // How many leading parts of `key` are never ours to remove, even when
    // empty ("SOFTWARE\Microsoft\...\PropertySystem" stays; keys below it go).
    unsigned keptParts = 0;
};

// Writes every entry (a value there already is replaced); false at the first the registry refuses.
bool WriteEntries(const std::vector<RegistryEntry>& entries);
// Removes each value that still holds what WriteEntries wrote (a value that
// another program changed since stays), then each key left empty, and its
// parents left empty, up to its kept parts.
void RemoveEntries(const std::vector<RegistryEntry>& entries);

}  // namespace com
