// SPDX-License-Identifier: BSD-3-Clause
#include "zemsource/extension_keys.h"

#include <wchar.h>

namespace zemsource {

const wchar_t kEarlierSourceFilterValue[] = L"Source Filter before ZEM Source";

namespace {

const wchar_t kSourceFilterValue[] = L"Source Filter";

// An open registry key, closed at the end of the scope.
class Key {
public:
    Key() = default;
    ~Key() {
        if (m_handle) RegCloseKey(m_handle);
    }
    Key(const Key&) = delete;
    Key& operator=(const Key&) = delete;
    HKEY* Out() { return &m_handle; }
    HKEY Get() const { return m_handle; }

private:
    HKEY m_handle = nullptr;
};

// A text value, or false when it is missing or not text.
bool Read(HKEY key, const wchar_t* name, std::wstring& value) {
    DWORD type = 0, bytes = 0;
    if (RegQueryValueExW(key, name, nullptr, &type, nullptr, &bytes) != ERROR_SUCCESS || type != REG_SZ) return false;
    std::wstring text(bytes / sizeof(wchar_t) + 1, L'\0');
    bytes = static_cast<DWORD>(text.size() * sizeof(wchar_t));
    if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&text[0]), &bytes) != ERROR_SUCCESS ||
        type != REG_SZ)
        return false;
    text.resize(bytes / sizeof(wchar_t));
    while (!text.empty() && text.back() == L'\0') text.pop_back();
    value = text;
    return true;
}

bool Write(HKEY key, const wchar_t* name, const std::wstring& value) {
    return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                          static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

// Class ids compare without regard to case.
bool SameFilter(const std::wstring& a, const std::wstring& b) {
    return _wcsicmp(a.c_str(), b.c_str()) == 0;
}

}  // namespace

bool ClaimExtension(HKEY root, const std::wstring& key, const std::wstring& filter) {
    Key handle;
    if (RegCreateKeyExW(root, key.c_str(), 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr, handle.Out(), nullptr) !=
        ERROR_SUCCESS)
        return false;
    std::wstring current;
    if (!Read(handle.Get(), kSourceFilterValue, current)) {
        // Nothing to keep: a value of ours left from a key someone emptied meanwhile is stale.
        RegDeleteValueW(handle.Get(), kEarlierSourceFilterValue);
    } else if (!SameFilter(current, filter) && !Write(handle.Get(), kEarlierSourceFilterValue, current)) {
        return false;
    }
    return Write(handle.Get(), kSourceFilterValue, filter);
}

void ReleaseExtension(HKEY root, const std::wstring& key, const std::wstring& filter) {
    {
        Key handle;
        if (RegOpenKeyExW(root, key.c_str(), 0, KEY_READ | KEY_WRITE, handle.Out()) != ERROR_SUCCESS) return;
        std::wstring current, earlier;
        bool emptied = false;
        if (Read(handle.Get(), kSourceFilterValue, current) && SameFilter(current, filter)) {
            if (Read(handle.Get(), kEarlierSourceFilterValue, earlier))
                Write(handle.Get(), kSourceFilterValue, earlier);
            else
                emptied = RegDeleteValueW(handle.Get(), kSourceFilterValue) == ERROR_SUCCESS;
        }
        // Named by another filter since: that one stays, and what we kept is of no use.
        RegDeleteValueW(handle.Get(), kEarlierSourceFilterValue);
        // The key goes only when it held nothing but our value.
        DWORD subkeys = 0, values = 0;
        if (!emptied ||
            RegQueryInfoKeyW(handle.Get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, nullptr,
                             nullptr, nullptr, nullptr) != ERROR_SUCCESS ||
            subkeys != 0 || values != 0)
            return;
    }
    RegDeleteKeyW(root, key.c_str());
}

}  // namespace zemsource
