// SPDX-License-Identifier: BSD-3-Clause
// The module of an in-process COM server (a DLL the system loads for a
// class): its handle, its count of live objects and locks, and the static
// class factory that makes its one class. Each DLL links its own copy.
#pragma once

#include <windows.h>
#include <unknwn.h>

#include <string>

namespace com {

// Called from DllMain when the library is attached.
void SetModuleHandle(HINSTANCE instance);
HINSTANCE ModuleHandle();
// The library's own file, or empty when it does not fit MAX_PATH.
std::wstring ModulePath();

// Every live object and every LockServer(TRUE) keeps the library loaded.
void LockModule();
void UnlockModule();
bool ModuleInUse();

// "{xxxxxxxx-...}" for registry keys.
std::wstring GuidText(REFGUID guid);

// Writes a text value (`name`, or the key's default value when null) under
// HKEY_CLASSES_ROOT\`key`, creating the key as needed.
bool SetClassesValue(const std::wstring& key, const wchar_t* name, const std::wstring& value);

// The class factory of a library with one class, made by `Create(iid, out)`.
// It is a static object: its references only keep the library loaded.
template <HRESULT (*Create)(REFIID, void**)>
class StaticClassFactory : public IClassFactory {
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
        return Create(iid, out);
    }
    STDMETHODIMP LockServer(BOOL lock) override {
        if (lock)
            LockModule();
        else
            UnlockModule();
        return S_OK;
    }
};

// DllGetClassObject for a library whose one class is `id`.
template <HRESULT (*Create)(REFIID, void**)>
HRESULT GetClassObject(REFCLSID requested, REFCLSID id, REFIID iid, void** out) {
    static StaticClassFactory<Create> factory;
    if (!out) return E_POINTER;
    *out = nullptr;
    if (requested != id) return CLASS_E_CLASSNOTAVAILABLE;
    return factory.QueryInterface(iid, out);
}

}  // namespace com
