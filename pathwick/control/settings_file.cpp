// SPDX-License-Identifier: BSD-3-Clause
#include "pathwick/control/settings_file.h"

#include "com/server_module.h"

#include <windows.h>

#include <vector>

namespace pathwick {

namespace {

class Win32Profile : public ProfileStore {
public:
    int ReadInt(const char* section, const char* key, int defaultValue) override {
        return static_cast<int>(GetPrivateProfileIntA(section, key, defaultValue, Path().c_str()));
    }
    std::string ReadString(const char* section, const char* key, const char* defaultValue,
                           size_t bufferChars) override {
        std::vector<char> buffer(bufferChars, '\0');
        DWORD length = GetPrivateProfileStringA(section, key, defaultValue, buffer.data(),
                                                static_cast<DWORD>(bufferChars), Path().c_str());
        return std::string(buffer.data(), length < bufferChars ? length : bufferChars - 1);
    }
    void WriteString(const char* section, const char* key, const std::string& value) override {
        WritePrivateProfileStringA(section, key, value.c_str(), Path().c_str());  // failures are ignored
    }

private:
    static std::string Path() {
        char module[MAX_PATH] = {};
        DWORD length = GetModuleFileNameA(com::ModuleHandle(), module, MAX_PATH);
        return SettingsPathFor(std::string(module, length < MAX_PATH ? length : 0));
    }
};

}  // namespace

ProfileStore& SettingsStore() {
    static Win32Profile store;
    return store;
}

std::string AnsiFromWide(const std::wstring& text) {
    if (text.empty()) return {};
    int length = WideCharToMultiByte(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string narrow(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()), narrow.data(), length, nullptr, nullptr);
    return narrow;
}

std::wstring WideFromAnsi(const std::string& text) {
    if (text.empty()) return {};
    int length = MultiByteToWideChar(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()), wide.data(), length);
    return wide;
}

}  // namespace pathwick
