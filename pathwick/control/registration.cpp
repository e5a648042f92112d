// SPDX-License-Identifier: BSD-3-Clause
// Self-registration: the class, its ProgID and the type library, and their
// removal, which takes away every key the registration wrote.
#include "pathwick/control/PathwickControl.h"
#include "com/server_module.h"
#include "pathwick/control/resource.h"

#include <olectl.h>

#include <string>

namespace {

const wchar_t* const ProgId = L"PathwickControl.Explorer";
const wchar_t* const ClassName = L"Explorer";

bool WriteClassKeys(const std::wstring& path) {
    const std::wstring clsid = L"CLSID\\" + com::GuidText(CLSID_Explorer);
    const wchar_t* const miscStatus = L"131473";  // recompose on resize, inside-out, activate when visible...
    struct Entry {
        std::wstring key;
        const wchar_t* name;
        std::wstring value;
    };
    const Entry entries[] = {
        {clsid, nullptr, ClassName},
        {clsid + L"\\InprocServer32", nullptr, path},
        {clsid + L"\\InprocServer32", L"ThreadingModel", L"Apartment"},
        {clsid + L"\\ProgID", nullptr, ProgId},
        {clsid + L"\\Control", nullptr, L""},
        {clsid + L"\\ToolboxBitmap32", nullptr, path + L", " + std::to_wstring(IDB_TOOLBOX)},
        {clsid + L"\\MiscStatus", nullptr, L"0"},
        {clsid + L"\\MiscStatus\\1", nullptr, miscStatus},
        {clsid + L"\\TypeLib", nullptr, com::GuidText(LIBID_PathwickControl)},
        {clsid + L"\\Version", nullptr, L"1.0"},
        {ProgId, nullptr, ClassName},
        {std::wstring(ProgId) + L"\\CLSID", nullptr, com::GuidText(CLSID_Explorer)},
    };
    for (const Entry& entry : entries)
        if (!com::SetClassesValue(entry.key, entry.name, entry.value)) return false;
    return true;
}

bool RegisterLibrary(const std::wstring& path) {
    ITypeLib* library = nullptr;
    if (FAILED(LoadTypeLibEx(path.c_str(), REGKIND_NONE, &library))) return false;
    HRESULT status = RegisterTypeLib(library, const_cast<wchar_t*>(path.c_str()), nullptr);
    library->Release();
    return SUCCEEDED(status);
}

void RemoveEverything() {
    RegDeleteTreeW(HKEY_CLASSES_ROOT, (L"CLSID\\" + com::GuidText(CLSID_Explorer)).c_str());
    RegDeleteKeyW(HKEY_CLASSES_ROOT, (L"CLSID\\" + com::GuidText(CLSID_Explorer)).c_str());
    RegDeleteTreeW(HKEY_CLASSES_ROOT, ProgId);
    RegDeleteKeyW(HKEY_CLASSES_ROOT, ProgId);
    UnRegisterTypeLib(LIBID_PathwickControl, 1, 0, LANG_NEUTRAL, SYS_WIN64);
}

}  // namespace

STDAPI DllRegisterServer() {
    std::wstring path = com::ModulePath();
    if (path.empty()) return SELFREG_E_CLASS;
    if (!RegisterLibrary(path)) {
        RemoveEverything();
        return SELFREG_E_TYPELIB;
    }
    if (!WriteClassKeys(path)) {
        RemoveEverything();
        return SELFREG_E_CLASS;
    }
    return S_OK;
}

STDAPI DllUnregisterServer() {
    RemoveEverything();
    return S_OK;
}
