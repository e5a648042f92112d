// SPDX-License-Identifier: BSD-3-Clause
// The codec library's owning pointer holder: a pointer, an array flag and an
// owns flag. Releasing deletes the object only when the holder owns it, so one
// holder type serves both objects a class made itself and objects it borrows.
#pragma once

namespace zem {

template <class T>
class OwnedPtr {
public:
    OwnedPtr() = default;
    OwnedPtr(const OwnedPtr&) = delete;
    OwnedPtr& operator=(const OwnedPtr&) = delete;
    ~OwnedPtr() { Release(); }

    // Releases what is held, then holds `ptr`.
    void Assign(T* ptr, bool isArray, bool owns) {
        Release();
        m_ptr = ptr;
        m_isArray = isArray;
        m_owns = owns;
    }

    // Deletes the object when owned; the holder is empty afterwards.
    void Release() {
        if (m_ptr && m_owns) {
            if (m_isArray)
                delete[] m_ptr;
            else
                delete m_ptr;
        }
        m_ptr = nullptr;
        m_isArray = false;
        m_owns = false;
    }

    // Gives up ownership without deleting; returns the pointer.
    T* Detach() {
        T* ptr = m_ptr;
        m_ptr = nullptr;
        m_owns = false;
        return ptr;
    }

    T* Get() const { return m_ptr; }
    T* operator->() const { return m_ptr; }
    T& operator*() const { return *m_ptr; }
    explicit operator bool() const { return m_ptr != nullptr; }
    bool Owns() const { return m_owns; }

private:
    T* m_ptr = nullptr;
    bool m_isArray = false;
    bool m_owns = false;
};

}  // namespace zem
