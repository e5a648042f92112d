// SPDX-License-Identifier: BSD-3-Clause
// The read buffer over a stream's frames and raw bit access to it. Every
// residual reader derives from CBitReader; the frame decoders drive a reader
// only through the virtual operations below.
#pragma once

#include <cstdint>
#include <vector>

namespace zem {

class CStreamIo;
struct RangeModelState;

class CBitReader {
public:
    virtual ~CBitReader() = default;

    // Moves the unread words to the front and fills the freed tail from the
    // file. A short read at the end of the file is not an error.
    virtual int Refill();
    // Sets the bit index and, unless `filePosition` is -1, seeks the file there;
    // then reads a whole buffer.
    virtual int Reload(int32_t filePosition, uint32_t bitIndex);
    // Fills values[0..count) with one channel's signed residuals.
    virtual void DecodeArray(int32_t* values, int32_t count, int32_t hint);
    // A raw or coded value by method; the base class serves none (0).
    virtual uint32_t ReadCodedValue(int method, int32_t parameter = 0);
    virtual uint32_t AlignToByte();
    virtual int32_t DecodeAdaptiveValue(RangeModelState& state);
    // DecodeAdaptiveValue n times into out[0..n).
    virtual void DecodeAdaptiveValues(RangeModelState& state, int32_t* out, int32_t n);
    // n pairs, each a value of `first` into a[i] then one of `second` into b[i].
    virtual void DecodeAdaptivePairs(RangeModelState& first, int32_t* a, RangeModelState& second, int32_t* b,
                                     int32_t n);
    virtual void ResetModelState(RangeModelState& state);
    virtual void StartRange();
    virtual void FinishRange();
    // Sizes and allocates the buffer for `bytes` (rounded down to whole words).
    virtual int Init(CStreamIo* file, int32_t bytes, int32_t version);
    // The next n bits (1..32), most significant first.
    virtual uint32_t ReadBits(int n);

    uint32_t BitIndex() const { return m_bitIndex; }
    int32_t BitCount() const { return m_bitCount; }
    int32_t Version() const { return m_version; }

protected:
    // The byte at a byte-aligned bit index. Within a 32-bit word bits run from
    // the most significant end, so a word's bytes are taken last to first.
    uint32_t ByteAt(uint32_t bitIndex) const {
        return (m_buffer[bitIndex >> 5] >> (24 - (bitIndex & 31))) & 0xFFu;
    }
    // Reads up to `bytes` file bytes into the buffer at byte `offset`; keeps
    // track of where in the file the buffer stands.
    int ReadIntoBuffer(int32_t offset, int32_t bytes);
    // Reload without reading, when the buffer already holds the file from
    // `filePosition` on, word for word, and the file stands behind the buffer
    // (as after the last read). Returns whether it could.
    bool MoveWithinBuffer(int32_t filePosition, uint32_t bitIndex);
    // Refill that leaves `keepWords` of the consumed words in front of the
    // index, for readers that step back over bits already read.
    int RefillKeeping(int32_t keepWords);

    int32_t m_elementCount = 0;
    int32_t m_byteCount = 0;
    int32_t m_bitCount = 0;
    int32_t m_version = 0;
    CStreamIo* m_file = nullptr;
    uint32_t m_bitIndex = 0;
    // File offset of the buffer's first byte while the whole buffer holds the
    // file's bytes from there; -1 when it does not (nothing read yet, a read
    // that failed or came short).
    int64_t m_bufferStart = -1;
    // The words as read (little-endian); a few zero words of slack stand behind
    // m_elementCount so that damaged data read at the very end stays inside.
    std::vector<uint32_t> m_buffer;
};

// Reader for a stream of `version` on the file of `info`, owned by the caller;
// null when memory is exhausted or the version has no reader.
class CStreamInfo;
CBitReader* CreateBitReader(CStreamInfo* info, int32_t version);

}  // namespace zem
