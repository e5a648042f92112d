// SPDX-License-Identifier: BSD-3-Clause
// The extension keys that registration shares with other filters, on keys of
// the test's own under HKEY_CURRENT_USER: an earlier filter's value survives
// registering and unregistering, and only what registering added goes.
#include "zemsource/extension_keys.h"

#include <gtest/gtest.h>

#include <cwctype>
#include <map>
#include <string>

namespace {

using zemsource::ClaimExtension;
using zemsource::ReleaseExtension;

const wchar_t kOurs[] = L"{3928FA40-0CAB-4C6B-B59B-698780E68154}";
const wchar_t kOther[] = L"{E436EBB5-524F-11CE-9F53-0020AF0BA770}";
const wchar_t kNewer[] = L"{11111111-2222-3333-4444-555555555555}";
const std::wstring kRoot = L"Software\\ZemSourceRegistryTest";
const std::wstring kKey = kRoot + L"\\Media Type\\Extensions\\.zem";

using Values = std::map<std::wstring, std::wstring>;

// Every text value of the key; nullopt-like: `exists` false when there is no key.
Values ReadAll(bool& exists) {
    Values values;
    HKEY key = nullptr;
    exists = RegOpenKeyExW(HKEY_CURRENT_USER, kKey.c_str(), 0, KEY_READ, &key) == ERROR_SUCCESS;
    if (!exists) return values;
    for (DWORD i = 0;; ++i) {
        wchar_t name[256];
        wchar_t data[256] = {};
        DWORD nameLength = 256, bytes = sizeof data - sizeof(wchar_t), type = 0;
        if (RegEnumValueW(key, i, name, &nameLength, nullptr, &type, reinterpret_cast<BYTE*>(data), &bytes) !=
            ERROR_SUCCESS)
            break;
        values[name] = data;
    }
    RegCloseKey(key);
    return values;
}

void WriteAll(const Values& values) {
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, kKey.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr,
                                             &key, nullptr));
    for (const auto& value : values)
        RegSetValueExW(key, value.first.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.second.c_str()),
                       static_cast<DWORD>((value.second.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
}

class ExtensionKeys : public testing::Test {
protected:
    void SetUp() override { RegDeleteTreeW(HKEY_CURRENT_USER, kRoot.c_str()); }
    void TearDown() override { RegDeleteTreeW(HKEY_CURRENT_USER, kRoot.c_str()); }
};

TEST_F(ExtensionKeys, RegisteringAndUnregisteringLeaveTheKeyAsItWas) {
    const struct {
        const char* name;
        bool existed;
        Values before;
    } cases[] = {
        {"no key", false, {}},
        {"another filter's value", true, {{L"Source Filter", kOther}}},
        {"another filter's value and more", true,
         {{L"Source Filter", kOther}, {L"Media Type", L"{E436EB83-524F-11CE-9F53-0020AF0BA770}"}}},
        {"another value only", true, {{L"Subtype", L"x"}}},
        {"a key left empty", true, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        RegDeleteTreeW(HKEY_CURRENT_USER, kRoot.c_str());
        if (c.existed) WriteAll(c.before);
        // Twice, as an installer over an earlier installation does.
        ASSERT_TRUE(ClaimExtension(HKEY_CURRENT_USER, kKey, kOurs));
        ASSERT_TRUE(ClaimExtension(HKEY_CURRENT_USER, kKey, kOurs));
        bool exists = false;
        EXPECT_EQ(kOurs, ReadAll(exists)[L"Source Filter"]);
        ReleaseExtension(HKEY_CURRENT_USER, kKey, kOurs);
        const Values after = ReadAll(exists);
        EXPECT_EQ(c.existed && !c.before.empty(), exists);
        EXPECT_EQ(c.before, after);
    }
}

TEST_F(ExtensionKeys, AFilterRegisteredAfterUsKeepsTheKey) {
    WriteAll({{L"Source Filter", kOther}});
    ASSERT_TRUE(ClaimExtension(HKEY_CURRENT_USER, kKey, kOurs));
    WriteAll({{L"Source Filter", kNewer}});
    ReleaseExtension(HKEY_CURRENT_USER, kKey, kOurs);
    bool exists = false;
    EXPECT_EQ((Values{{L"Source Filter", kNewer}}), ReadAll(exists));
    // Case does not tell class ids apart.
    std::wstring lower(kOurs);
    for (wchar_t& c : lower) c = static_cast<wchar_t>(towlower(c));
    ASSERT_TRUE(ClaimExtension(HKEY_CURRENT_USER, kKey, kOurs));
    ReleaseExtension(HKEY_CURRENT_USER, kKey, lower);
    EXPECT_EQ((Values{{L"Source Filter", kNewer}}), ReadAll(exists));
}

}  // namespace
