// SPDX-License-Identifier: BSD-3-Clause
// Windows only: compiled into the Wine tests of our COM servers.
// A COM server registered with regsvr32 for the length of a test program, and
// the check that unregistering it leaves the registry exactly as registering
// found it. The registry is read in this process: a `reg export` is a Wine
// process start each, and reading every class key takes Wine seconds, so the
// class root and CLSID are compared by their subkeys' names and values, and
// the keys a server writes below them in whole.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace testing_support {

constexpr unsigned kWhole = ~0u;
// The values and subkeys of HKEY_LOCAL_MACHINE\`path` down to `depth` levels
// (0: its values and its subkeys' names), as text ("" when the key is missing).
std::string RegistryText(const std::wstring& path, unsigned depth);
// The parts of HKEY_LOCAL_MACHINE that shell and media servers write, with
// the keys below Software\Classes that the server under test writes.
std::vector<std::string> ServerParts(const std::vector<std::wstring>& classKeys);
// regsvr32 /s [/u] `server`: its exit code.
DWORD RunRegsvr32(const std::wstring& server, bool unregister);
// Whether HKEY_LOCAL_MACHINE\`path` exists.
bool KeyExists(const std::wstring& path);

// A test environment that registers the server `fileName` (beside the test
// program) before the tests, checks that `registeredKeys` (below
// HKEY_LOCAL_MACHINE) exist, and after the tests unregisters it and compares
// ServerParts(`classKeys`) with what they were before.
class RegisteredServer : public testing::Environment {
public:
    RegisteredServer(std::wstring fileName, std::vector<std::wstring> classKeys,
                     std::vector<std::wstring> registeredKeys);
    void SetUp() override;
    void TearDown() override;

private:
    std::wstring m_server;
    std::vector<std::wstring> m_classKeys, m_registeredKeys;
    std::vector<std::string> m_before;
};

}  // namespace testing_support
