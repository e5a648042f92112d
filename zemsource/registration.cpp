// SPDX-License-Identifier: BSD-3-Clause
// Self-registration: the class with its in-process server, its entry in the
// DirectShow filter category (through the system's filter mapper), and the
// two ways a filter graph picks the source filter for a file:
//   - the extension keys for ".zem", ".qrb" and ".zlk" (Media Type\Extensions),
//     looked at first;
//   - byte patterns of the files' first bytes, for any other name: "QRB " for
//     a stream and the link file's header line for a ZLK file (streams behind
//     an ID3v2 block or other leading bytes are found by extension only).
// Wine's filter graph takes its own file reader for every extension that has
// a key there, whatever source filter the key names, and then looks at no
// pattern; under Wine the extension keys are therefore left out and the
// patterns lead to this filter. An extension key may name another filter
// already: its value is kept and comes back on unregistering (see
// extension_keys.h). Windows Media Player (the legacy player) learns the
// extensions from its own Extensions keys: with the DirectShow runtime it
// plays them through this filter and takes them into its library.
// Unregistering removes exactly what registering added.
#include "com/com_ref.h"
#include "com/registry_entries.h"
#include "zemsource/guids.h"
#include "com/server_module.h"
#include "zemsource/extension_keys.h"

#include <windows.h>
#include <olectl.h>
#include <dshow.h>

#include <string>
#include <vector>

namespace {

using com::ComRef;

const wchar_t kFilterName[] = L"ZEM Source";
const wchar_t kExtensionsKey[] = L"Media Type\\Extensions\\";
const wchar_t kSourceFilterValue[] = L"Source Filter";
const wchar_t* const kExtensions[] = {L".zem", L".qrb", L".zlk"};
// A subtype of MEDIATYPE_Stream with its pattern: offset, length, mask (none), bytes.
struct FilePattern {
    const GUID& subtype;
    const wchar_t* pattern;
};
const FilePattern kPatterns[] = {
    {MEDIASUBTYPE_ZemStream, L"0,4,,51524220"},  // "QRB "
    {MEDIASUBTYPE_ZemLink, L"0,25,,5B5175696C6C6F6E20496D616765204C696E6B2046696C655D"},  // "[Quillon Image Link File]"
};

const wchar_t kPlayerExtensionsKey[] = L"SOFTWARE\\Microsoft\\MediaPlayer\\Player\\Extensions\\";
constexpr unsigned kPlayerKeptParts = 3;  // up to MediaPlayer
constexpr DWORD kDirectShowRuntime = 7;
// Play, add to the library, burn, sync: everything the player offers for a file type.
constexpr DWORD kPlayerPermissions = 0x0F;

std::vector<com::RegistryEntry> PlayerEntries() {
    std::vector<com::RegistryEntry> entries;
    for (const wchar_t* extension : kExtensions) {
        const std::wstring key = kPlayerExtensionsKey + std::wstring(extension);
        entries.push_back({HKEY_LOCAL_MACHINE, key, L"Runtime", L"", kDirectShowRuntime, true, kPlayerKeptParts});
        entries.push_back({HKEY_LOCAL_MACHINE, key, L"Permissions", L"", kPlayerPermissions, true, kPlayerKeptParts});
        entries.push_back({HKEY_LOCAL_MACHINE, key, L"PerceivedType", L"audio", 0, false, kPlayerKeptParts});
        entries.push_back({HKEY_LOCAL_MACHINE, key, L"MediaType.Description", L"ZEM Audio", 0, false, kPlayerKeptParts});
    }
    return entries;
}

bool UnderWine() { return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr; }

void DeleteKey(const std::wstring& key) {
    RegDeleteTreeW(HKEY_CLASSES_ROOT, key.c_str());
    RegDeleteKeyW(HKEY_CLASSES_ROOT, key.c_str());
}

std::wstring ClassKey() { return L"CLSID\\" + com::GuidText(CLSID_ZemSource); }
std::wstring PatternKey(const FilePattern& pattern) {
    return L"Media Type\\" + com::GuidText(MEDIATYPE_Stream) + L"\\" + com::GuidText(pattern.subtype);
}

bool WriteClassKeys(const std::wstring& path) {
    return com::SetClassesValue(ClassKey(), nullptr, kFilterName) && com::SetClassesValue(ClassKey() + L"\\InprocServer32", nullptr, path) &&
           com::SetClassesValue(ClassKey() + L"\\InprocServer32", L"ThreadingModel", L"Both");
}

bool WriteFileTypeKeys() {
    const std::wstring source = com::GuidText(CLSID_ZemSource);
    for (const FilePattern& pattern : kPatterns)
        if (!com::SetClassesValue(PatternKey(pattern), L"0", pattern.pattern) ||
            !com::SetClassesValue(PatternKey(pattern), kSourceFilterValue, source))
            return false;
    if (UnderWine()) return true;
    for (const wchar_t* extension : kExtensions)
        if (!zemsource::ClaimExtension(HKEY_CLASSES_ROOT, kExtensionsKey + std::wstring(extension), source))
            return false;
    return true;
}

HRESULT RegisterInCategory() {
    com::ComRef<IFilterMapper2> mapper;
    HRESULT status = CoCreateInstance(CLSID_FilterMapper2, nullptr, CLSCTX_INPROC_SERVER, IID_IFilterMapper2,
                                      mapper.OutVoid());
    if (FAILED(status)) return status;
    const REGPINTYPES type = {&MEDIATYPE_Audio, &MEDIASUBTYPE_PCM};
    REGFILTERPINS2 pin = {};
    pin.dwFlags = REG_PINFLAG_B_OUTPUT;
    pin.cInstances = 1;
    pin.nMediaTypes = 1;
    pin.lpMediaType = &type;
    REGFILTER2 filter = {};
    filter.dwVersion = 2;
    filter.dwMerit = MERIT_UNLIKELY;
    filter.cPins2 = 1;
    filter.rgPins2 = &pin;
    return mapper->RegisterFilter(CLSID_ZemSource, kFilterName, nullptr, &CLSID_LegacyAmFilterCategory, nullptr,
                                  &filter);
}

void RemoveEverything() {
    com::ComRef<IFilterMapper2> mapper;
    if (SUCCEEDED(CoCreateInstance(CLSID_FilterMapper2, nullptr, CLSCTX_INPROC_SERVER, IID_IFilterMapper2,
                                   mapper.OutVoid())))
        mapper->UnregisterFilter(&CLSID_LegacyAmFilterCategory, nullptr, CLSID_ZemSource);
    for (const wchar_t* extension : kExtensions)
        zemsource::ReleaseExtension(HKEY_CLASSES_ROOT, kExtensionsKey + std::wstring(extension),
                                    com::GuidText(CLSID_ZemSource));
    for (const FilePattern& pattern : kPatterns) DeleteKey(PatternKey(pattern));
    com::RemoveEntries(PlayerEntries());
    DeleteKey(ClassKey());
}

// The filter mapper is a COM object: the entry points may be called on a thread without COM.
class ComScope {
public:
    ComScope() : m_status(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ~ComScope() {
        if (SUCCEEDED(m_status)) CoUninitialize();
    }

private:
    HRESULT m_status;
};

}  // namespace

STDAPI DllRegisterServer() {
    ComScope com;
    const std::wstring path = com::ModulePath();
    if (path.empty()) return SELFREG_E_CLASS;
    if (!WriteClassKeys(path) || FAILED(RegisterInCategory()) || !WriteFileTypeKeys() ||
        !com::WriteEntries(PlayerEntries())) {
        RemoveEverything();
        return SELFREG_E_CLASS;
    }
    return S_OK;
}

STDAPI DllUnregisterServer() {
    ComScope com;
    RemoveEverything();
    return S_OK;
}
