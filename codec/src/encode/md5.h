// SPDX-License-Identifier: BSD-3-Clause
// MD5 message digest (RFC 1321), used for the digest an encoder stores in a
// stream's descriptor.
#pragma once

#include <cstddef>
#include <cstdint>

namespace zem {

class CMd5 {
public:
    CMd5();
    void Update(const void* data, size_t bytes);
    // The 16-byte digest of everything given so far; the object is spent.
    void Finish(uint8_t digest[16]);

private:
    void Transform(const uint8_t block[64]);

    uint32_t m_state[4];
    uint64_t m_bytes = 0;
    uint8_t m_block[64];
};

}  // namespace zem
