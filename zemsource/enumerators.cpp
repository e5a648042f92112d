// SPDX-License-Identifier: BSD-3-Clause
#include "zemsource/enumerators.h"

#include "com/com_ref.h"
#include "zemsource/media_type.h"
#include "com/server_module.h"

#include <new>

namespace zemsource {

namespace {

using com::ComRef;

// Reference counting and the cursor over a list of `Count()` items, shared by
// both enumerators; `Item(i)` hands out a new reference or copy of item i.
template <class Interface, class ItemType, const IID& kIid>
class Enumerator : public Interface {
public:
    Enumerator() { com::LockModule(); }
    virtual ~Enumerator() { com::UnlockModule(); }

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        if (iid == IID_IUnknown || iid == kIid) {
            *out = static_cast<Interface*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return InterlockedIncrement(&m_refs); }
    STDMETHODIMP_(ULONG) Release() override {
        const ULONG left = InterlockedDecrement(&m_refs);
        if (left == 0) delete this;
        return left;
    }

    STDMETHODIMP Next(ULONG wanted, ItemType* items, ULONG* fetched) override {
        if (!items || (wanted != 1 && !fetched)) return E_POINTER;
        ULONG given = 0;
        while (given < wanted && m_next < Count()) {
            items[given] = Item(m_next++);
            if (!items[given]) {
                while (given > 0) Free(items[--given]);
                return E_OUTOFMEMORY;
            }
            ++given;
        }
        if (fetched) *fetched = given;
        return given == wanted ? S_OK : S_FALSE;
    }
    STDMETHODIMP Skip(ULONG count) override {
        const ULONG left = Count() - m_next;
        m_next += count < left ? count : left;
        return count <= left ? S_OK : S_FALSE;
    }
    STDMETHODIMP Reset() override {
        m_next = 0;
        return S_OK;
    }

protected:
    virtual ULONG Count() const = 0;
    virtual ItemType Item(ULONG index) const = 0;
    virtual void Free(ItemType item) const = 0;
    ULONG m_next = 0;

private:
    LONG m_refs = 1;
};

class PinEnumerator : public Enumerator<IEnumPins, IPin*, IID_IEnumPins> {
public:
    explicit PinEnumerator(IPin* pin) : m_pin(com::ComRef<IPin>::Share(pin)) {}
    STDMETHODIMP Clone(IEnumPins** out) override {
        if (!out) return E_POINTER;
        auto* copy = new (std::nothrow) PinEnumerator(m_pin.Get());
        if (!copy) return E_OUTOFMEMORY;
        copy->m_next = m_next;
        *out = copy;
        return S_OK;
    }

private:
    ULONG Count() const override { return 1; }
    IPin* Item(ULONG) const override {
        m_pin->AddRef();
        return m_pin.Get();
    }
    void Free(IPin* pin) const override { pin->Release(); }
    com::ComRef<IPin> m_pin;
};

class TypeEnumerator : public Enumerator<IEnumMediaTypes, AM_MEDIA_TYPE*, IID_IEnumMediaTypes> {
public:
    ~TypeEnumerator() override { DeleteMediaType(m_type); }
    bool Init(const AM_MEDIA_TYPE* type) {
        if (!type) return true;
        m_type = NewMediaType(*type);
        return m_type != nullptr;
    }
    STDMETHODIMP Clone(IEnumMediaTypes** out) override {
        if (!out) return E_POINTER;
        auto* copy = new (std::nothrow) TypeEnumerator;
        if (!copy) return E_OUTOFMEMORY;
        if (!copy->Init(m_type)) {
            copy->Release();
            return E_OUTOFMEMORY;
        }
        copy->m_next = m_next;
        *out = copy;
        return S_OK;
    }

private:
    ULONG Count() const override { return m_type ? 1 : 0; }
    AM_MEDIA_TYPE* Item(ULONG) const override { return NewMediaType(*m_type); }
    void Free(AM_MEDIA_TYPE* type) const override { DeleteMediaType(type); }
    AM_MEDIA_TYPE* m_type = nullptr;
};

}  // namespace

HRESULT NewPinEnumerator(IPin* pin, IEnumPins** out) {
    if (!out) return E_POINTER;
    *out = new (std::nothrow) PinEnumerator(pin);
    return *out ? S_OK : E_OUTOFMEMORY;
}

HRESULT NewMediaTypeEnumerator(const AM_MEDIA_TYPE* type, IEnumMediaTypes** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    auto* enumerator = new (std::nothrow) TypeEnumerator;
    if (!enumerator) return E_OUTOFMEMORY;
    if (!enumerator->Init(type)) {
        enumerator->Release();
        return E_OUTOFMEMORY;
    }
    *out = enumerator;
    return S_OK;
}

}  // namespace zemsource
