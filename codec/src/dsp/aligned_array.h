// SPDX-License-Identifier: BSD-3-Clause
// A fixed-size owned array whose first element sits on a 64-byte boundary, so
// that the vector kernels read whole cache lines from coefficient arrays.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace zem {

template <class T>
class AlignedArray {
public:
    static constexpr size_t kAlignment = 64;

    explicit AlignedArray(size_t count)
        : m_storage(new unsigned char[count * sizeof(T) + kAlignment]), m_count(count) {
        const uintptr_t address = reinterpret_cast<uintptr_t>(m_storage.get());
        const size_t skip = (kAlignment - address % kAlignment) % kAlignment;
        m_data = reinterpret_cast<T*>(m_storage.get() + skip);
    }

    T* Get() { return m_data; }
    const T* Get() const { return m_data; }
    size_t Count() const { return m_count; }

private:
    std::unique_ptr<unsigned char[]> m_storage;
    T* m_data;
    size_t m_count;
};

}  // namespace zem
