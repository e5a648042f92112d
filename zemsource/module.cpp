// The library's entry points for the system: loading, the class object and unloading.
#include "zemsource/module.h"

#include "zemsource/guids.h"
#include "zemsource/source_filter.h"

#include <unknwn.h>

namespace zemsource {

namespace {

HINSTANCE gModule = nullptr;
LONG gLocks = 0;

class SourceFilterFactory : public IClassFactory {
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
        return SourceFilter::Create(iid, out);
    }
    STDMETHODIMP LockServer(BOOL lock) override {
        if (lock)
            LockModule();
        else
            UnlockModule();
        return S_OK;
    }
};

SourceFilterFactory gFactory;

}  // namespace

HINSTANCE ModuleHandle() { return gModule; }
void LockModule() { InterlockedIncrement(&gLocks); }
void UnlockModule() { InterlockedDecrement(&gLocks); }
bool ModuleInUse() { return gLocks != 0; }

}  // namespace zemsource

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        zemsource::gModule = instance;
        DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}

STDAPI DllGetClassObject(REFCLSID id, REFIID iid, LPVOID* out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (id != CLSID_ZemSource) return CLASS_E_CLASSNOTAVAILABLE;
    return zemsource::gFactory.QueryInterface(iid, out);
}

STDAPI DllCanUnloadNow() { return zemsource::ModuleInUse() ? S_FALSE : S_OK; }
