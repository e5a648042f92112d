// SPDX-License-Identifier: BSD-3-Clause
// An owning reference to a COM interface: released when it goes out of scope.
#pragma once

#include <utility>

namespace com {

template <class T>
class ComRef {
public:
    ComRef() = default;
    explicit ComRef(T* adopted) : m_ptr(adopted) {}
    ComRef(const ComRef& other) : m_ptr(other.m_ptr) {
        if (m_ptr) m_ptr->AddRef();
    }
    ComRef(ComRef&& other) noexcept : m_ptr(std::exchange(other.m_ptr, nullptr)) {}
    ComRef& operator=(ComRef other) {
        std::swap(m_ptr, other.m_ptr);
        return *this;
    }
    ~ComRef() { Reset(); }

    // Takes a new reference to `ptr`.
    static ComRef Share(T* ptr) {
        if (ptr) ptr->AddRef();
        return ComRef(ptr);
    }
    void Reset() {
        if (m_ptr) std::exchange(m_ptr, nullptr)->Release();
    }
    T* Get() const { return m_ptr; }
    T* operator->() const { return m_ptr; }
    explicit operator bool() const { return m_ptr != nullptr; }
    // For out-parameters: releases what is held first.
    T** Out() {
        Reset();
        return &m_ptr;
    }
    void** OutVoid() { return reinterpret_cast<void**>(Out()); }

private:
    T* m_ptr = nullptr;
};

}  // namespace com
