// SPDX-License-Identifier: BSD-3-Clause
#include "tests/support/registered_server.h"

#include <cstdio>
#include <filesystem>
#include <utility>

namespace testing_support {

namespace {

void Walk(HKEY key, const std::wstring& path, unsigned depth, std::string& out) {
    char line[64];
    std::snprintf(line, sizeof(line), "[%zu]", path.size());
    out += line;
    out.append(reinterpret_cast<const char*>(path.data()), path.size() * sizeof(wchar_t));
    out += '\n';
    std::vector<wchar_t> name(16384);
    std::vector<BYTE> data(1 << 16);
    for (DWORD i = 0;; ++i) {
        DWORD nameLength = static_cast<DWORD>(name.size()), type = 0, bytes = static_cast<DWORD>(data.size());
        const LONG status = RegEnumValueW(key, i, name.data(), &nameLength, nullptr, &type, data.data(), &bytes);
        if (status != ERROR_SUCCESS) break;
        std::snprintf(line, sizeof(line), "%lu %lu %lu:", static_cast<unsigned long>(nameLength),
                      static_cast<unsigned long>(type), static_cast<unsigned long>(bytes));
        out += line;
        out.append(reinterpret_cast<const char*>(name.data()), nameLength * sizeof(wchar_t));
        out.append(reinterpret_cast<const char*>(data.data()), bytes);
        out += '\n';
    }
    for (DWORD i = 0;; ++i) {
        DWORD nameLength = static_cast<DWORD>(name.size());
        if (RegEnumKeyExW(key, i, name.data(), &nameLength, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        const std::wstring child(name.data(), nameLength);
        if (depth == 0) {
            out.append(reinterpret_cast<const char*>(child.data()), child.size() * sizeof(wchar_t));
            out += '\n';
            continue;
        }
        HKEY sub = nullptr;
        if (RegOpenKeyExW(key, child.c_str(), 0, KEY_READ, &sub) != ERROR_SUCCESS) continue;
        Walk(sub, path + L"\\" + child, depth - 1, out);
        RegCloseKey(sub);
    }
}

}  // namespace

std::string RegistryText(const std::wstring& path, unsigned depth) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return std::string();
    std::string text;
    Walk(key, path, depth, text);
    RegCloseKey(key);
    return text;
}

std::vector<std::string> ServerParts(const std::vector<std::wstring>& classKeys) {
    const std::wstring classes = L"Software\\Classes";
    // The names under the class root and CLSID catch a key left anywhere there.
    std::vector<std::string> parts = {RegistryText(classes, 0), RegistryText(classes + L"\\CLSID", 0)};
    for (const std::wstring& key : classKeys) parts.push_back(RegistryText(classes + L"\\" + key, kWhole));
    for (const wchar_t* path : {L"Software\\Microsoft\\Windows\\CurrentVersion\\PropertySystem",
                                L"Software\\Microsoft\\Windows Media Foundation", L"Software\\Microsoft\\MediaPlayer"})
        parts.push_back(RegistryText(path, kWhole));
    return parts;
}

DWORD RunRegsvr32(const std::wstring& server, bool unregister) {
    std::wstring command = std::wstring(L"regsvr32.exe /s ") + (unregister ? L"/u " : L"") + L"\"" + server + L"\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return DWORD(-1);
    WaitForSingleObject(process.hProcess, 60000);
    DWORD code = DWORD(-1);
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return code;
}

bool KeyExists(const std::wstring& path) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

namespace {

// The ASCII letters of registry text (its names are UTF-16), for a failure's message.
std::string Printable(const std::string& text) {
    std::string out;
    for (char c : text)
        if (c >= 0x20 && c < 0x7f)
            out += c;
        else if (c == '\n')
            out += " | ";
    return out;
}

}  // namespace

RegisteredServer::RegisteredServer(std::wstring fileName, std::vector<std::wstring> classKeys,
                                   std::vector<std::wstring> registeredKeys)
    : m_server(std::move(fileName)), m_classKeys(std::move(classKeys)), m_registeredKeys(std::move(registeredKeys)) {}

void RegisteredServer::SetUp() {
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    m_server = (std::filesystem::path(self).parent_path() / m_server).wstring();
    RunRegsvr32(m_server, true);  // what an interrupted run may have left
    m_before = ServerParts(m_classKeys);
    ASSERT_EQ(0u, RunRegsvr32(m_server, false));
    for (const std::wstring& key : m_registeredKeys)
        EXPECT_TRUE(KeyExists(key)) << "not registered: " << Printable(std::string(key.begin(), key.end()));
}

void RegisteredServer::TearDown() {
    EXPECT_EQ(0u, RunRegsvr32(m_server, true));
    const std::vector<std::string> after = ServerParts(m_classKeys);
    for (size_t i = 0; i < after.size(); ++i) {
        if (after[i] == m_before[i]) continue;
        size_t at = 0;
        while (at < after[i].size() && at < m_before[i].size() && after[i][at] == m_before[i][at]) ++at;
        ADD_FAILURE() << "the registry differs after regsvr32 /u: part " << i << " at byte " << at << ": "
                      << Printable(after[i].substr(at > 200 ? at - 200 : 0, 400));
    }
}

}  // namespace testing_support
