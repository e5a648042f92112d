// SPDX-License-Identifier: BSD-3-Clause
// Self-registration: the two classes with their in-process server, the
// shell's property handler of each extension, the files' perceived type and
// content type, and the property lists that Explorer's details pane, its
// "Details" page and its tooltips show. Unregistering removes exactly what
// registering added (see registry_entries.h). A handler that another program
// had named for one of our extensions is not put back: the shell knows one
// handler per extension, and after ours is removed it shows none.
#include "com/server_module.h"
#include "shellprops/guids.h"
#include "com/registry_entries.h"

#include <olectl.h>

#include <string>
#include <vector>

namespace {

using com::RegistryEntry;

const wchar_t kHandlersKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\PropertySystem\\PropertyHandlers\\";
// Up to CurrentVersion: PropertySystem itself goes when nothing else is in it (Wine has none before).
constexpr unsigned kHandlersKeptParts = 4;
const wchar_t kContentType[] = L"audio/x-zem";

const wchar_t kFullDetails[] =
    L"prop:System.PropGroup.Description;System.Title;System.Music.Artist;System.Music.AlbumTitle;"
    L"System.Music.TrackNumber;System.Media.Year;System.Music.Genre;System.Comment;System.PropGroup.Audio;"
    L"System.Media.Duration;System.Audio.EncodingBitrate;System.Audio.SampleRate;System.Audio.SampleSize;"
    L"System.Audio.ChannelCount;System.PropGroup.FileSystem;System.ItemNameDisplay;System.ItemType;"
    L"System.ItemFolderPathDisplay;System.Size;System.DateCreated;System.DateModified";
const wchar_t kPreviewDetails[] =
    L"prop:System.Music.Artist;System.Music.AlbumTitle;System.Title;System.Music.TrackNumber;System.Media.Duration;"
    L"System.Music.Genre;System.Media.Year;System.Audio.EncodingBitrate;System.Size;System.DateModified";
const wchar_t kInfoTip[] = L"prop:System.ItemType;System.Music.Artist;System.Title;System.Media.Duration;System.Size";

struct Extension {
    const wchar_t* name;
    const CLSID& handler;
    bool stream;  // a stream has the content type; a link file is no stream
};
const Extension kExtensions[] = {
    {L".zem", CLSID_ZemPropertyHandler, true},
    {L".qrb", CLSID_ZemPropertyHandler, true},
    {L".zlk", CLSID_ZemLinkPropertyHandler, false},
};

RegistryEntry Text(HKEY root, const std::wstring& key, const wchar_t* name, const std::wstring& text,
                   unsigned keptParts) {
    RegistryEntry entry{root, key, name, text};
    entry.keptParts = keptParts;
    return entry;
}

void AddClass(std::vector<RegistryEntry>& entries, const CLSID& id, const wchar_t* title, const std::wstring& path) {
    const std::wstring key = L"CLSID\\" + com::GuidText(id);
    entries.push_back(Text(HKEY_CLASSES_ROOT, key, L"", title, 1));
    entries.push_back(Text(HKEY_CLASSES_ROOT, key + L"\\InprocServer32", L"", path, 1));
    entries.push_back(Text(HKEY_CLASSES_ROOT, key + L"\\InprocServer32", L"ThreadingModel", L"Both", 1));
}

std::vector<RegistryEntry> Entries(const std::wstring& path) {
    std::vector<RegistryEntry> entries;
    AddClass(entries, CLSID_ZemPropertyHandler, L"ZEM Property Handler", path);
    AddClass(entries, CLSID_ZemLinkPropertyHandler, L"ZEM Link Property Handler", path);
    // The shell's isolated host hands out streams only: the link handler runs in the caller's process.
    RegistryEntry inProcess{HKEY_CLASSES_ROOT, L"CLSID\\" + com::GuidText(CLSID_ZemLinkPropertyHandler),
                            L"DisableProcessIsolation", L"", 1, true, 1};
    entries.push_back(inProcess);
    for (const Extension& extension : kExtensions) {
        const std::wstring name = extension.name;
        entries.push_back(Text(HKEY_LOCAL_MACHINE, kHandlersKey + name, L"", com::GuidText(extension.handler),
                               kHandlersKeptParts));
        entries.push_back(Text(HKEY_CLASSES_ROOT, name, L"PerceivedType", L"audio", 0));
        if (extension.stream) entries.push_back(Text(HKEY_CLASSES_ROOT, name, L"Content Type", kContentType, 0));
        const std::wstring lists = L"SystemFileAssociations\\" + name;
        entries.push_back(Text(HKEY_CLASSES_ROOT, lists, L"FullDetails", kFullDetails, 0));
        entries.push_back(Text(HKEY_CLASSES_ROOT, lists, L"PreviewDetails", kPreviewDetails, 0));
        entries.push_back(Text(HKEY_CLASSES_ROOT, lists, L"InfoTip", kInfoTip, 0));
    }
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
