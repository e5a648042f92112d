// SPDX-License-Identifier: BSD-3-Clause
// A history stream that is written one element at a time and read as one
// contiguous run of the most recent `history` elements before the write
// position. The array holds history + window elements; when the window is used
// up, the newest `history` elements move to the front, so a reader never has to
// wrap an index.
#pragma once

#include "dsp/aligned_array.h"

#include <cstdint>
#include <cstring>

namespace zem {

template <class T>
class CSlidingBuffer {
public:
    static constexpr int32_t kWindow = 512;

    explicit CSlidingBuffer(int32_t history) : m_data(history + kWindow), m_history(history) { Reset(); }

    // Position back to `history`, with the history and the element there zero.
    void Reset() {
        std::memset(m_data.Get(), 0, sizeof(T) * (m_history + 1));
        m_position = m_history;
    }
    // Reset, for a buffer that was Reset and then had `written` elements
    // written: before the window is used up the history was never moved, so
    // only the elements written (and the one at the position) need clearing.
    void Reset(int32_t written) {
        if (written < 0 || written >= kWindow) {
            Reset();
            return;
        }
        std::memset(m_data.Get() + m_history, 0, sizeof(T) * (static_cast<size_t>(written) + 1));
        m_position = m_history;
    }

    // The element being written; [-history, 0) are the history.
    T* Current() { return m_data.Get() + m_position; }
    const T* Current() const { return m_data.Get() + m_position; }

    // Raw access for kernels that move the position themselves, rolling the
    // same way: the array, and the write position within it.
    T* Base() { return m_data.Get(); }
    int32_t Position() const { return m_position; }
    void SetPosition(int32_t position) { m_position = position; }

    void Advance() {
        if (++m_position == m_history + kWindow) {
            std::memmove(m_data.Get(), m_data.Get() + kWindow, sizeof(T) * m_history);
            m_position = m_history;
        }
    }

private:
    AlignedArray<T> m_data;
    int32_t m_history;
    int32_t m_position = 0;
};

}  // namespace zem
