// SPDX-License-Identifier: BSD-3-Clause
#include "coding/bit_reader.h"

#include "container/codec_error.h"
#include "io/stream_io.h"

#include <cstring>
#include <new>

namespace zem {

static_assert(sizeof(uint32_t) == 4, "the buffer is read as 32-bit words");

namespace {
// Zero words behind the buffer: a damaged frame may make the range decoder
// step a few bytes past the data it was given before its check fails.
constexpr int32_t kSlackWords = 64;
}  // namespace

int CBitReader::Init(CStreamIo* file, int32_t bytes, int32_t version) {
    if (!file || bytes <= 0)
        return CODEC_BAD_ARGUMENT;
    m_file = file;
    m_version = version;
    m_elementCount = bytes / 4;
    m_byteCount = m_elementCount * 4;
    m_bitCount = m_byteCount * 8;
    m_bitIndex = 0;
    try {
        m_buffer.assign(static_cast<size_t>(m_elementCount) + kSlackWords, 0);
    } catch (const std::bad_alloc&) {
        return CODEC_NO_MEMORY;
    }
    return CODEC_OK;
}

int CBitReader::ReadIntoBuffer(int32_t offset, int32_t bytes) {
    if (bytes <= 0)
        return CODEC_OK;
    // The words hold the file's bytes as they stand: both targets are
    // little-endian, so word i is the little-endian value of bytes 4i..4i+3.
    int32_t got = 0;
    uint8_t* base = reinterpret_cast<uint8_t*>(m_buffer.data()) + offset;
    if (m_file->Read(base, bytes, &got) != 0) {
        m_bufferStart = -1;
        return CODEC_READ_FAILED;
    }
    if (got != bytes)
        m_bufferStart = -1;
    return CODEC_OK;
}

bool CBitReader::MoveWithinBuffer(int32_t filePosition, uint32_t bitIndex) {
    if (m_bufferStart < 0 || filePosition < m_bufferStart || bitIndex >= 32 || m_buffer.empty())
        return false;
    const int64_t offset = filePosition - m_bufferStart;
    if (offset % 4 != 0 || offset >= m_byteCount || m_file->GetPosition() != m_bufferStart + m_byteCount)
        return false;
    m_bitIndex = static_cast<uint32_t>(offset * 8) + bitIndex;
    return true;
}

int CBitReader::Refill() { return RefillKeeping(0); }

int CBitReader::RefillKeeping(int32_t keepWords) {
    if (m_buffer.empty())
        return CODEC_NO_MEMORY;
    // A damaged frame can carry the index past the buffer; never move more
    // words than the buffer has.
    int32_t consumed = static_cast<int32_t>(m_bitIndex / 32);
    if (consumed > m_elementCount)
        consumed = m_elementCount;
    consumed = consumed > keepWords ? consumed - keepWords : 0;
    int32_t unread = m_elementCount - consumed;
    std::memmove(m_buffer.data(), m_buffer.data() + consumed, static_cast<size_t>(unread) * 4);
    m_bitIndex -= static_cast<uint32_t>(consumed) * 32;
    if (m_bitIndex >= static_cast<uint32_t>(m_bitCount))
        m_bitIndex = m_bitIndex % 32;
    if (m_bufferStart >= 0)
        m_bufferStart += int64_t(consumed) * 4;
    return ReadIntoBuffer(unread * 4, consumed * 4);
}

int CBitReader::Reload(int32_t filePosition, uint32_t bitIndex) {
    if (m_buffer.empty() || !m_file)
        return CODEC_NO_MEMORY;
    m_bitIndex = bitIndex % static_cast<uint32_t>(m_bitCount);
    m_bufferStart = -1;
    if (filePosition != -1) {
        if (m_file->Seek(filePosition, 0) != 0)
            return CODEC_READ_FAILED;
        m_bufferStart = filePosition;
    }
    return ReadIntoBuffer(0, m_byteCount);
}

uint32_t CBitReader::ReadBits(int n) {
    if (n < 1 || n > 32)
        return 0;
    // Written so that no sum can wrap: an index at or past the end refills too.
    const uint32_t bits = static_cast<uint32_t>(m_bitCount);
    if (m_bitIndex >= bits || bits - m_bitIndex <= static_cast<uint32_t>(n))
        Refill();
    uint32_t word = m_bitIndex >> 5;
    uint32_t offset = m_bitIndex & 31;
    // 64 bits of the two words in reading order, so a value may span both.
    uint64_t pair = (uint64_t(m_buffer[word]) << 32) | m_buffer[word + 1];
    m_bitIndex += static_cast<uint32_t>(n);
    return static_cast<uint32_t>((pair << offset) >> (64 - n));
}

uint32_t CBitReader::AlignToByte() {
    m_bitIndex = (m_bitIndex + 7) & ~7u;
    return m_bitIndex;
}

uint32_t CBitReader::ReadCodedValue(int, int32_t) { return 0; }

void CBitReader::DecodeArray(int32_t*, int32_t, int32_t) {}
int32_t CBitReader::DecodeAdaptiveValue(RangeModelState&) { return 0; }
void CBitReader::ResetModelState(RangeModelState&) {}

void CBitReader::DecodeAdaptiveValues(RangeModelState& state, int32_t* out, int32_t n) {
    for (int32_t i = 0; i < n; ++i)
        out[i] = DecodeAdaptiveValue(state);
}

void CBitReader::DecodeAdaptivePairs(RangeModelState& first, int32_t* a, RangeModelState& second, int32_t* b,
                                     int32_t n) {
    for (int32_t i = 0; i < n; ++i) {
        a[i] = DecodeAdaptiveValue(first);
        b[i] = DecodeAdaptiveValue(second);
    }
}
void CBitReader::StartRange() {}
void CBitReader::FinishRange() {}

}  // namespace zem
