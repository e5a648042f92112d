// SPDX-License-Identifier: BSD-3-Clause
// The library's entry points for the system: loading, the class object and unloading.
#include "com/server_module.h"
#include "mfsource/byte_stream_handler.h"
#include "mfsource/guids.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        com::SetModuleHandle(instance);
        DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}

STDAPI DllGetClassObject(REFCLSID id, REFIID iid, LPVOID* out) {
    return com::GetClassObject<&mfsource::CreateByteStreamHandler>(id, CLSID_ZemByteStreamHandler, iid, out);
}

STDAPI DllCanUnloadNow() { return com::ModuleInUse() ? S_FALSE : S_OK; }
