// SPDX-License-Identifier: BSD-3-Clause
// The CRC of long runs by folding: the bytes seen so far are kept as a 128-bit
// remainder (four of them side by side on long runs), which carry-less
// multiplication by x^n mod P moves forward over the next bytes without
// touching them one by one. What is left at the end is 16 bytes whose table
// CRC from a zero register is the register of everything folded.
#include "coding/frame_crc.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

namespace zem {

#if defined(__x86_64__) || defined(__i386__)

#define ZEM_CLMUL __attribute__((target("pclmul,sse2")))

namespace frame_crc {
namespace {

// x^n mod P in the reflected bit order, shifted once to line up with the
// product of two reflected 64-bit lanes.
constexpr uint64_t FoldConstant(int n) {
    uint32_t r = 0x80000000u;  // x^0
    for (int i = 0; i < n; ++i)
        r = (r & 1) ? (r >> 1) ^ 0xEDB88320u : r >> 1;
    return uint64_t(r) << 1;
}

// Moving a remainder forward by 128 bits, and by 512 bits (over four lanes).
constexpr uint64_t kBy128Low = FoldConstant(128 + 32), kBy128High = FoldConstant(128 - 32);
constexpr uint64_t kBy512Low = FoldConstant(512 + 32), kBy512High = FoldConstant(512 - 32);

ZEM_CLMUL inline __m128i Constants(uint64_t low, uint64_t high) {
    return _mm_set_epi64x(static_cast<long long>(high), static_cast<long long>(low));
}

ZEM_CLMUL inline __m128i Load(const uint8_t* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }

// remainder * x^(distance) mod P, plus the next 16 bytes.
ZEM_CLMUL inline __m128i Fold(__m128i remainder, __m128i constants, __m128i next) {
    const __m128i low = _mm_clmulepi64_si128(remainder, constants, 0x00);
    const __m128i high = _mm_clmulepi64_si128(remainder, constants, 0x11);
    return _mm_xor_si128(_mm_xor_si128(low, high), next);
}

// Four remainders side by side over runs of 64 bytes, then joined into one.
ZEM_CLMUL __m128i FoldFourLanes(uint32_t reg, const uint8_t*& bytes, size_t& count) {
    __m128i lane[4];
    for (int i = 0; i < 4; ++i)
        lane[i] = Load(bytes + 16 * i);
    lane[0] = _mm_xor_si128(lane[0], _mm_cvtsi32_si128(static_cast<int>(reg)));
    const __m128i by512 = Constants(kBy512Low, kBy512High);
    for (bytes += 64, count -= 64; count >= 64; bytes += 64, count -= 64) {
        for (int i = 0; i < 4; ++i)
            lane[i] = Fold(lane[i], by512, Load(bytes + 16 * i));
    }
    const __m128i by128 = Constants(kBy128Low, kBy128High);
    __m128i remainder = lane[0];
    for (int i = 1; i < 4; ++i)
        remainder = Fold(remainder, by128, lane[i]);
    return remainder;
}

}  // namespace

bool FoldingAvailable() {
    __builtin_cpu_init();
    return __builtin_cpu_supports("pclmul") && __builtin_cpu_supports("sse2");
}

ZEM_CLMUL uint32_t UpdateFolded(uint32_t reg, const uint8_t* bytes, size_t count) {
    if (count < 64)
        return UpdateSliced(reg, bytes, count);
    __m128i remainder = FoldFourLanes(reg, bytes, count);
    const __m128i by128 = Constants(kBy128Low, kBy128High);
    for (; count >= 16; bytes += 16, count -= 16)
        remainder = Fold(remainder, by128, Load(bytes));
    alignas(16) uint8_t last[16];
    _mm_store_si128(reinterpret_cast<__m128i*>(last), remainder);
    return UpdateSliced(UpdateSliced(0, last, 16), bytes, count);
}

}  // namespace frame_crc

#else

namespace frame_crc {

bool FoldingAvailable() { return false; }

uint32_t UpdateFolded(uint32_t reg, const uint8_t* bytes, size_t count) { return UpdateSliced(reg, bytes, count); }

}  // namespace frame_crc

#endif

}  // namespace zem
