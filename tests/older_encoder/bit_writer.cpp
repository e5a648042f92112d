// SPDX-License-Identifier: BSD-3-Clause
#include "tests/older_encoder/bit_writer.h"

namespace older_encoder {

void BitWriter::WriteBit(uint32_t bit) {
    if (m_bits % 32 == 0)
        m_words.push_back(0);
    if (bit)
        m_words.back() |= 1u << (31 - m_bits % 32);
    ++m_bits;
}

void BitWriter::WriteBits(uint32_t value, int count) {
    for (int i = count - 1; i >= 0; --i)
        WriteBit((value >> i) & 1);
}

void BitWriter::WriteUnary(uint32_t zeros) {
    for (uint32_t i = 0; i < zeros; ++i)
        WriteBit(0);
    WriteBit(1);
}

void BitWriter::WriteUnaryK(uint32_t code, int k) {
    WriteUnary(k >= 32 ? 0 : code >> k);
    if (k > 0)
        WriteBits(code, k);
}

void BitWriter::AlignToByte() {
    while (m_bits % 8 != 0)
        WriteBit(0);
}

std::vector<uint8_t> BitWriter::Bytes() const {
    std::vector<uint8_t> bytes;
    for (uint32_t word : m_words)
        for (int i = 0; i < 4; ++i)
            bytes.push_back(static_cast<uint8_t>(word >> (8 * i)));
    return bytes;
}

}  // namespace older_encoder
