// SPDX-License-Identifier: BSD-3-Clause
#include "com/registry_entries.h"

#include <wchar.h>

#include <cstring>

namespace com {

namespace {

const wchar_t* ValueName(const RegistryEntry& entry) { return entry.name.empty() ? nullptr : entry.name.c_str(); }

bool Write(const RegistryEntry& entry) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(entry.root, entry.key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return false;
    LONG status;
    if (entry.isNumber)
        status = RegSetValueExW(key, ValueName(entry), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&entry.number),
                                sizeof(entry.number));
    else
        status = RegSetValueExW(key, ValueName(entry), 0, REG_SZ, reinterpret_cast<const BYTE*>(entry.text.c_str()),
                                static_cast<DWORD>((entry.text.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
    return status == ERROR_SUCCESS;
}

// Whether the value still holds what Write put there (text compared without regard to case, as class ids are).
bool StillOurs(HKEY key, const RegistryEntry& entry) {
    wchar_t text[1024];
    DWORD type = 0, bytes = sizeof(text) - sizeof(wchar_t);
    if (RegQueryValueExW(key, ValueName(entry), nullptr, &type, reinterpret_cast<BYTE*>(text), &bytes) !=
        ERROR_SUCCESS)
        return false;
    if (entry.isNumber) {
        DWORD number = 0;
        std::memcpy(&number, text, sizeof(number));
        return type == REG_DWORD && bytes == sizeof(DWORD) && number == entry.number;
    }
    text[bytes / sizeof(wchar_t)] = L'\0';
    return type == REG_SZ && _wcsicmp(text, entry.text.c_str()) == 0;
}

bool Empty(HKEY root, const std::wstring& path) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    DWORD subkeys = 1, values = 1;
    const LONG status = RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values,
                                         nullptr, nullptr, nullptr, nullptr);
    RegCloseKey(key);
    return status == ERROR_SUCCESS && subkeys == 0 && values == 0;
}

// The key and then each parent, while empty, down to (not including) the kept parts.
void RemoveEmptyKeys(HKEY root, std::wstring path, unsigned keptParts) {
    for (;;) {
        unsigned parts = 1;
        for (wchar_t c : path) parts += c == L'\\';
        if (parts <= keptParts || !Empty(root, path) || RegDeleteKeyW(root, path.c_str()) != ERROR_SUCCESS) return;
        const size_t cut = path.rfind(L'\\');
        if (cut == std::wstring::npos) return;
        path.resize(cut);
    }
}

}  // namespace

bool WriteEntries(const std::vector<RegistryEntry>& entries) {
    for (const RegistryEntry& entry : entries)
        if (!Write(entry)) return false;
    return true;
}

void RemoveEntries(const std::vector<RegistryEntry>& entries) {
    for (const RegistryEntry& entry : entries) {
        HKEY key = nullptr;
        if (RegOpenKeyExW(entry.root, entry.key.c_str(), 0, KEY_READ | KEY_WRITE, &key) != ERROR_SUCCESS) continue;
        if (StillOurs(key, entry)) RegDeleteValueW(key, ValueName(entry));
        RegCloseKey(key);
    }
    for (const RegistryEntry& entry : entries) RemoveEmptyKeys(entry.root, entry.key, entry.keptParts);
}

}  // namespace com
