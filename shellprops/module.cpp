// SPDX-License-Identifier: BSD-3-Clause
// The library's entry points for the system: loading, the class objects and unloading.
#include "com/server_module.h"
#include "shellprops/guids.h"
#include "shellprops/property_handler.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        com::SetModuleHandle(instance);
        DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}

STDAPI DllGetClassObject(REFCLSID id, REFIID iid, LPVOID* out) {
    const HRESULT status =
        com::GetClassObject<&shellprops::CreateStreamHandler>(id, CLSID_ZemPropertyHandler, iid, out);
    if (status != CLASS_E_CLASSNOTAVAILABLE) return status;
    return com::GetClassObject<&shellprops::CreateLinkHandler>(id, CLSID_ZemLinkPropertyHandler, iid, out);
}

STDAPI DllCanUnloadNow() { return com::ModuleInUse() ? S_FALSE : S_OK; }
