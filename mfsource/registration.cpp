// SPDX-License-Identifier: BSD-3-Clause
// Self-registration: the byte-stream handler's class with its in-process
// server, and its entries under Media Foundation's ByteStreamHandlers for the
// three extensions and the content type, through which the source resolver
// finds it. Unregistering removes exactly what registering added.
#include "com/registry_entries.h"
#include "com/server_module.h"
#include "mfsource/guids.h"

#include <olectl.h>

#include <string>
#include <vector>

namespace {

using com::RegistryEntry;

const wchar_t kTitle[] = L"ZEM Byte Stream Handler";
const wchar_t kHandlersKey[] = L"SOFTWARE\\Microsoft\\Windows Media Foundation\\ByteStreamHandlers\\";
// Up to Windows Media Foundation: ByteStreamHandlers goes when nothing else is in it (a fresh Wine has none).
constexpr unsigned kHandlersKeptParts = 3;
const wchar_t* const kNames[] = {L".zem", L".qrb", L".zlk", L"audio/x-zem"};

RegistryEntry Text(HKEY root, const std::wstring& key, const std::wstring& name, const std::wstring& text,
                   unsigned keptParts) {
    RegistryEntry entry{root, key, name, text};
    entry.keptParts = keptParts;
    return entry;
}

std::vector<RegistryEntry> Entries(const std::wstring& path) {
    const std::wstring id = com::GuidText(CLSID_ZemByteStreamHandler), key = L"CLSID\\" + id;
    std::vector<RegistryEntry> entries = {
        Text(HKEY_CLASSES_ROOT, key, L"", kTitle, 1),
        Text(HKEY_CLASSES_ROOT, key + L"\\InprocServer32", L"", path, 1),
        Text(HKEY_CLASSES_ROOT, key + L"\\InprocServer32", L"ThreadingModel", L"Both", 1),
    };
    // Each handler is a value named by its class id under the extension's or content type's key.
    for (const wchar_t* name : kNames)
        entries.push_back(Text(HKEY_LOCAL_MACHINE, kHandlersKey + std::wstring(name), id, kTitle, kHandlersKeptParts));
    return entries;
}

}  // namespace

STDAPI DllRegisterServer() {
    const std::wstring path = com::ModulePath();
    if (path.empty()) return SELFREG_E_CLASS;
    const std::vector<RegistryEntry> entries = Entries(path);
    if (!com::WriteEntries(entries)) {
        com::RemoveEntries(entries);
        return SELFREG_E_CLASS;
    }
    return S_OK;
}

STDAPI DllUnregisterServer() {
    com::RemoveEntries(Entries(com::ModulePath()));
    return S_OK;
}
