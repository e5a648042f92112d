// The library's entry points for the system: loading, the class object and unloading.
#include "pathwick/control/module.h"

#include "pathwick/control/PathwickControl.h"
#include "pathwick/control/explorer_object.h"

#include <new>

namespace pathwick {

namespace {

HINSTANCE gModule = nullptr;
LONG gLocks = 0;

class ExplorerFactory : public IClassFactory {
public:
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        if (iid == IID_IUnknown || iid == IID_IClassFactory) {
            *out = static_cast<IClassFactory*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    // The factory is static: its references only keep the library loaded.
    STDMETHODIMP_(ULONG) AddRef() override {
        LockModule();
        return 2;
    }
    STDMETHODIMP_(ULONG) Release() override {
        UnlockModule();
        return 1;
    }
    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        return ExplorerObject::Create(iid, out);
    }
    STDMETHODIMP LockServer(BOOL lock) override {
        if (lock)
            LockModule();
        else
            UnlockModule();
        return S_OK;
    }
};

ExplorerFactory gFactory;

}  // namespace

HINSTANCE ModuleHandle() { return gModule; }
void LockModule() { InterlockedIncrement(&gLocks); }
void UnlockModule() { InterlockedDecrement(&gLocks); }
bool ModuleInUse() { return gLocks != 0; }

}  // namespace pathwick

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        pathwick::gModule = instance;
        DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}

STDAPI DllGetClassObject(REFCLSID id, REFIID iid, LPVOID* out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (id != CLSID_Explorer) return CLASS_E_CLASSNOTAVAILABLE;
    return pathwick::gFactory.QueryInterface(iid, out);
}

STDAPI DllCanUnloadNow() {
    return pathwick::ModuleInUse() ? S_FALSE : S_OK;
}
