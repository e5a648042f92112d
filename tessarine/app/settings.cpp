// SPDX-License-Identifier: BSD-3-Clause
#include "tessarine/app/dialog_texts.h"

namespace {

const WCHAR* const kSection = WTXT("General");
const WCHAR* const kTemplateKey = WTXT("Naming Template");
const WCHAR* const kLastDirectoryKey = WTXT("Last Directory");
constexpr DWORD kValueChars = 1024;

WString ReadValue(const WString& iniPath, const WCHAR* key, const WCHAR* fallback) {
    WCHAR buffer[kValueChars] = {};
    GetPrivateProfileStringW(kSection, key, fallback, buffer, kValueChars, iniPath.c_str());
    return buffer;
}

}  // namespace

WString FolderWithBackslash(const WString& path) {
    size_t slash = path.rfind(WCHAR('\\'));
    return slash == WString::npos ? WString() : path.substr(0, slash + 1);
}

WString ProgramFolderOf(const WString& programPath) { return FolderWithBackslash(programPath); }

WString InitialCueFileName(const WString& lastDirectory) {
    return lastDirectory.empty() ? WString() : lastDirectory + WTXT("*.cue");
}

WString SettingsPath(const WString& programFolder) { return programFolder + WTXT("Tessarine.ini"); }

TessarineSettings ReadSettings(const WString& iniPath) {
    TessarineSettings settings;
    settings.namingTemplate = ReadValue(iniPath, kTemplateKey, kDefaultNamingTemplate);
    settings.lastDirectory = ReadValue(iniPath, kLastDirectoryKey, WTXT(""));
    return settings;
}

void WriteSettings(const WString& iniPath, const TessarineSettings& settings) {
    WritePrivateProfileStringW(kSection, kTemplateKey, settings.namingTemplate.c_str(), iniPath.c_str());
    WritePrivateProfileStringW(kSection, kLastDirectoryKey, settings.lastDirectory.c_str(), iniPath.c_str());
}
