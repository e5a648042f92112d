// SPDX-License-Identifier: BSD-3-Clause
#include "tests/older_encoder/rice_encoder.h"

#include <cstddef>

namespace older_encoder {

namespace {

int BitLength(uint32_t v) {
    int n = 0;
    while (v) {
        ++n;
        v >>= 1;
    }
    return n;
}

// Lower bounds of the block generation, written out: L[k] = 64 << k up to k = 25.
uint32_t Lower(int k) {
    static const std::vector<uint32_t> table = [] {
        std::vector<uint32_t> t(32, 0);
        for (int j = 1; j <= 25; ++j)
            t[j] = uint32_t(64) << j;
        return t;
    }();
    return k >= 0 && k < 32 ? table[k] : 0;
}

uint32_t ValueBound(int k) { return k >= 1 && k <= 27 ? uint32_t(16) << k : 0; }

}  // namespace

uint32_t CodeOf(int32_t value) {
    const uint32_t v = static_cast<uint32_t>(value);
    return value > 0 ? 2 * v - 1 : 0u - 2 * v;
}

void EncodeBlockAdaptive(BitWriter& out, const std::vector<int32_t>& values) {
    const size_t count = values.size();
    std::vector<uint32_t> codes;
    for (int32_t v : values)
        codes.push_back(CodeOf(v));
    uint32_t sum = 0;
    for (size_t i = 0; i < count && i < 5; ++i) {
        out.WriteUnaryK(codes[i], 10);
        sum += codes[i];
    }
    if (count <= 5)
        return;
    int k = BitLength(sum / 10);
    for (size_t i = 5; i < count && i < 64; ++i) {
        out.WriteUnaryK(codes[i], k);
        sum += codes[i];
        k = BitLength(sum / uint32_t(i + 1) / 2);
    }
    if (count <= 64)
        return;
    k = BitLength(sum / 128);
    for (size_t p = 0; p + 64 < count; ++p) {
        out.WriteUnaryK(codes[p + 64], k);
        sum += codes[p + 64] - codes[p];
        if (sum < Lower(k))
            while (sum < Lower(k))
                --k;
        else if (sum >= Lower(k + 1))
            while (k < 25 && sum >= Lower(k + 1))
                ++k;
    }
}

void EncodeValueAdaptive(BitWriter& out, const std::vector<int32_t>& values, int version) {
    int k = 10;
    uint32_t sum = 16384;
    for (int32_t value : values) {
        const uint32_t code = CodeOf(value);
        uint32_t u = code >> k;
        if (version > 3880 && u >= 16) {
            int steps = 0;
            while (k + 4 * steps < 31 && (code >> (k + 4 * steps)) >= 16)
                ++steps;
            k += 4 * steps;
            u = 16 * uint32_t(steps) + (code >> k);
        }
        out.WriteUnary(u);
        if (k > 0)
            out.WriteBits(code, k);
        sum += code - ((sum + 8) >> 4);
        if (sum < ValueBound(k))
            --k;
        else if (sum >= ValueBound(k + 1))
            ++k;
    }
}

}  // namespace older_encoder
