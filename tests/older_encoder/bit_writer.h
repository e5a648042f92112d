// SPDX-License-Identifier: BSD-3-Clause
// Writes bits in the order the decoder's bit reader takes them: from the most
// significant end of 32-bit words stored little-endian.
#pragma once

#include <cstdint>
#include <vector>

namespace older_encoder {

class BitWriter {
public:
    void WriteBits(uint32_t value, int count);  // the low `count` bits, most significant first
    void WriteUnary(uint32_t zeros);             // `zeros` 0 bits, then a 1
    void WriteUnaryK(uint32_t code, int k);      // code >> k in unary, then k low bits
    void AlignToByte();

    uint64_t BitPosition() const { return m_bits; }
    // The words as file bytes (each word little-endian), padded to whole words.
    std::vector<uint8_t> Bytes() const;

private:
    void WriteBit(uint32_t bit);

    std::vector<uint32_t> m_words;
    uint64_t m_bits = 0;
};

}  // namespace older_encoder
