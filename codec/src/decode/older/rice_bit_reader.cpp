// SPDX-License-Identifier: BSD-3-Clause
#include "decode/older/rice_bit_reader.h"

#include "coding/range_coding.h"
#include "io/stream_io.h"

namespace zem {

namespace {

constexpr int32_t kLargeBufferBytes = 262144;
constexpr int32_t kSmallBufferBytes = 65536;
constexpr int32_t kLastSmallBufferVersion = 3890;
constexpr int32_t kLastWideRefillVersion = 3880;

}  // namespace

int32_t RiceBufferBytes(int32_t version, int32_t blocksPerFrame) {
    if (version > kLastSmallBufferVersion)
        return kLargeBufferBytes;
    if (version > kLastWideRefillVersion)
        return kSmallBufferBytes;
    // Room for about 50 bits per block of a frame.
    const int64_t wanted = int64_t(blocksPerFrame) * 50 / 8;
    if (wanted <= kSmallBufferBytes)
        return kLargeBufferBytes;
    int64_t size = 131072;
    while (size < wanted)
        size *= 2;
    return size <= kLargeBufferBytes ? kLargeBufferBytes : static_cast<int32_t>(size);
}

uint32_t RiceRefillThreshold(int32_t version, int32_t bufferBytes) {
    const uint32_t bits = static_cast<uint32_t>(bufferBytes) * 8;
    return version > kLastWideRefillVersion ? bits - 512 : bits - 131072;
}

int CRiceBitReader::Setup(CStreamIo* file, int32_t version, int32_t blocksPerFrame) {
    const int32_t bytes = RiceBufferBytes(version, blocksPerFrame);
    m_refillThreshold = RiceRefillThreshold(version, bytes);
    return Init(file, bytes, version);
}

int CRiceBitReader::Reload(int32_t filePosition, uint32_t bitIndex) {
    m_damaged = false;
    return CBitReader::Reload(filePosition, bitIndex);
}

// The scan refills when it meets the end of the buffer, so a value that
// straddles the end is read whole. A run that reaches past the end of the
// file, or is longer than a whole buffer, cannot come from an encoder: it
// marks the data as damaged, and every later value of the frame is 0 at once.
uint32_t CRiceBitReader::ReadUnary() {
    if (m_damaged)
        return 0;
    uint32_t count = 0;
    const uint32_t limit = static_cast<uint32_t>(m_bitCount);
    for (;;) {
        if (m_bitIndex >= limit) {
            if (m_file->GetPosition() >= m_file->GetSize() || Refill() != 0 || m_bitIndex >= limit) {
                m_damaged = true;
                return 0;
            }
        }
        const uint32_t word = m_buffer[m_bitIndex >> 5] << (m_bitIndex & 31);
        if (word != 0) {
            const uint32_t zeros = static_cast<uint32_t>(__builtin_clz(word));
            count += zeros;
            m_bitIndex += zeros + 1;
            return count;
        }
        const uint32_t rest = 32 - (m_bitIndex & 31);
        count += rest;
        m_bitIndex += rest;
        if (count > limit) {
            m_damaged = true;
            return 0;
        }
    }
}

uint32_t CRiceBitReader::ReadUnaryK(int k) {
    const uint32_t u = ReadUnary();
    if (k <= 0)
        return u;
    return (u << k) | ReadBits(k);
}

uint32_t CRiceBitReader::ReadCodedValue(int method, int32_t parameter) {
    switch (method) {
    case 0:
        return ReadBits(32);
    case 1:
        return ReadUnaryK(parameter);
    case 2:
        return parameter >= 1 && parameter <= 32 ? ReadBits(parameter) : 0;
    default:
        return 0;
    }
}

void CRiceBitReader::DecodeArray(int32_t* values, int32_t count, int32_t hint) {
    if (count <= 0)
        return;
    if (m_version < kFirstValueAdaptiveVersion)
        DecodeBlockAdaptive(values, count, hint);
    else if (m_version <= kLastValueAdaptiveVersion)
        DecodeValueAdaptive(values, count);
    // 3891 to 3899 carry no Rice-coded values; such streams are refused at open.
}

}  // namespace zem
