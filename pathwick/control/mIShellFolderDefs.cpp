// SPDX-License-Identifier: BSD-3-Clause
#include "pathwick/control/mIShellFolderDefs.h"

#include "pathwick/control/mWindowDefs.h"

namespace pathwick {

IMalloc* gMalloc = nullptr;
IShellFolder* gDesktopFolder = nullptr;

namespace {

// Interface identifiers from their first field and the shell's fixed tail.
IID ShellIid(unsigned long first) {
    return IID{first, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
}

class MallocAllocator : public PidlAllocator {
public:
    void* Alloc(size_t bytes) override {
        return EnsureShellSingletons() ? gMalloc->Alloc(bytes) : nullptr;
    }
    void Free(void* block) override {
        if (gMalloc)
            gMalloc->Free(block);
        else
            CoTaskMemFree(block);
    }
};

// Narrow text from `start`, never reading at or past `end`.
std::wstring NarrowText(const char* start, const char* end) {
    const char* stop = start;
    while (stop < end && *stop) ++stop;
    if (stop == start) return {};
    int length = MultiByteToWideChar(CP_ACP, 0, start, static_cast<int>(stop - start), nullptr, 0);
    std::wstring text(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, start, static_cast<int>(stop - start), text.data(), length);
    return text;
}

}  // namespace

const IID IID_IShellFolder_ = ShellIid(0x000214E6);
const IID IID_IShellDetails_ = ShellIid(0x000214EC);

bool EnsureShellSingletons() {
    if (!gMalloc && !Succeeded(SHGetMalloc(&gMalloc))) gMalloc = nullptr;
    if (!gDesktopFolder && !Succeeded(SHGetDesktopFolder(&gDesktopFolder))) gDesktopFolder = nullptr;
    return gMalloc && gDesktopFolder;
}

PidlAllocator& ShellAllocator() {
    static MallocAllocator allocator;
    return allocator;
}

Pidl ClonePidl(ConstPidl list) {
    return pathwick::ClonePidl(ShellAllocator(), list);
}

Pidl CombinePidls(Pidl a, Pidl b, bool freeA, bool freeB) {
    return pathwick::CombinePidls(ShellAllocator(), a, b, freeA, freeB);
}

void FreePidl(Pidl& list) {
    pathwick::FreePidl(ShellAllocator(), list);
}

com::ComRef<IShellFolder> BindToFolder(IShellFolder* parent, ConstPidl list) {
    if (!EnsureShellSingletons()) return {};
    com::ComRef<IShellFolder> folder;
    if (parent && list && !IsDesktopPidl(list) &&
        Succeeded(parent->BindToObject(AsRelative(list), nullptr, IID_IShellFolder_, folder.OutVoid())) && folder)
        return folder;
    return com::ComRef<IShellFolder>::Share(gDesktopFolder);
}

com::ComRef<IShellFolder> BindToFolderOrNone(ConstPidl absolute) {
    if (!EnsureShellSingletons() || !absolute) return {};
    if (IsDesktopPidl(absolute)) return com::ComRef<IShellFolder>::Share(gDesktopFolder);
    com::ComRef<IShellFolder> folder;
    if (!Succeeded(gDesktopFolder->BindToObject(AsRelative(absolute), nullptr, IID_IShellFolder_, folder.OutVoid())))
        folder.Reset();
    return folder;
}

com::ComRef<IShellFolder> GetParentFolder(ConstPidl list) {
    if (!EnsureShellSingletons()) return {};
    Pidl parent = GetParentPidl(ShellAllocator(), list);
    com::ComRef<IShellFolder> folder = BindToFolder(gDesktopFolder, parent);
    FreePidl(parent);
    return folder;
}

std::wstring GetDisplayName(IShellFolder* folder, ConstPidl relative, DWORD flags) {
    if (!folder || !relative) return {};
    STRRET record{};
    if (!Succeeded(folder->GetDisplayNameOf(AsChild(relative), flags, &record))) return {};
    return StrRetToString(record, relative);
}

std::wstring StrRetToString(STRRET& record, ConstPidl relative) {
    switch (record.uType) {
    case STRRET_WSTR: {
        std::wstring text = record.pOleStr ? std::wstring(record.pOleStr) : std::wstring();
        CoTaskMemFree(record.pOleStr);
        record.pOleStr = nullptr;
        return text;
    }
    case STRRET_OFFSET: {
        int size = GetPidlSize(relative);
        if (!relative || record.uOffset >= static_cast<UINT>(size)) return {};
        auto* base = reinterpret_cast<const char*>(relative);
        return NarrowText(base + record.uOffset, base + size);
    }
    case STRRET_CSTR:
        return NarrowText(record.cStr, record.cStr + sizeof record.cStr);
    default:
        return {};
    }
}

ULONG GetAttributes(IShellFolder* folder, ConstPidl relative, ULONG wanted) {
    if (!folder || !relative) return 0;
    SFGAOF attributes = wanted;
    PCUITEMID_CHILD item = AsChild(relative);
    if (!Succeeded(folder->GetAttributesOf(1, &item, &attributes))) return 0;
    return attributes & wanted;
}

}  // namespace pathwick
