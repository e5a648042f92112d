// SPDX-License-Identifier: BSD-3-Clause
// Per-block decoding of CFrameDecoder: residuals through the predictors to
// the X and Y values, and those to output bytes. Blocks go through in chunks:
// the residuals of a chunk first, then each channel's predictor over them,
// then the output bytes and their check in one pass.
#include "decode/current/frame_decoder.h"

#include "coding/bit_reader.h"
#include "coding/frame_crc.h"
#include "coding/range_bit_reader.h"
#include "model/predictor.h"
#include "model/predictor_3950.h"

#include <algorithm>

namespace zem {

namespace {

// Frame flags, the word behind a check word with its top bit set.
constexpr uint32_t kSilentX = 1;
constexpr uint32_t kSilentY = 2;
constexpr uint32_t kMonoCodedStereo = 4;

constexpr int32_t kChunkBlocks = 256;

const int32_t kSilence[kChunkBlocks] = {};

template <int kBits>
inline uint8_t* PutSample(uint8_t* out, int32_t value) {
    uint32_t v = static_cast<uint32_t>(value);
    if (kBits == 8) {
        *out++ = static_cast<uint8_t>(v + 128);
    } else if (kBits == 16) {
        *out++ = static_cast<uint8_t>(v);
        *out++ = static_cast<uint8_t>(v >> 8);
    } else {
        // The 24-bit two's complement form; a negative value is written as
        // (v + 2^23) or 2^23, which differs only for values out of range.
        uint32_t form = value < 0 ? ((v + (1u << 23)) | (1u << 23)) : v;
        *out++ = static_cast<uint8_t>(form);
        *out++ = static_cast<uint8_t>(form >> 8);
        *out++ = static_cast<uint8_t>(form >> 16);
    }
    return out;
}

template <int kBits>
int32_t PutMono(uint8_t* out, const int32_t* x, int32_t n) {
    for (int32_t i = 0; i < n; ++i)
        out = PutSample<kBits>(out, x[i]);
    return n;
}

inline bool FitsInt16(int32_t v) { return v >= -32768 && v <= 32767; }

// Stereo from X (mid) and Y (side); a 16-bit block whose samples do not fit
// ends the run before it.
template <int kBits>
int32_t PutStereo(uint8_t* out, const int32_t* x, const int32_t* y, int32_t n) {
    for (int32_t i = 0; i < n; ++i) {
        const int32_t first = static_cast<int32_t>(static_cast<uint32_t>(x[i]) - static_cast<uint32_t>(y[i] / 2));
        const int32_t second = static_cast<int32_t>(static_cast<uint32_t>(first) + static_cast<uint32_t>(y[i]));
        if (kBits == 8) {
            // Bytes wrap modulo 256: the second is the first byte plus Y.
            const uint8_t firstByte = static_cast<uint8_t>(static_cast<uint32_t>(first) + 128);
            *out++ = firstByte;
            *out++ = static_cast<uint8_t>(firstByte + static_cast<uint32_t>(y[i]));
            continue;
        }
        if (kBits == 16 && !(FitsInt16(first) && FitsInt16(second)))
            return i;
        out = PutSample<kBits>(out, first);
        out = PutSample<kBits>(out, second);
    }
    return n;
}

int32_t PutBlocks(uint8_t* out, const int32_t* x, const int32_t* y, int32_t n, int32_t channels, int32_t bits) {
    if (channels == 2) {
        switch (bits) {
        case 8: return PutStereo<8>(out, x, y, n);
        case 16: return PutStereo<16>(out, x, y, n);
        default: return PutStereo<24>(out, x, y, n);
        }
    }
    switch (bits) {
    case 8: return PutMono<8>(out, x, n);
    case 16: return PutMono<16>(out, x, n);
    default: return PutMono<24>(out, x, n);
    }
}

}  // namespace

int32_t CFrameDecoder::EmitBlocks(const int32_t* x, const int32_t* y, int32_t n) {
    int32_t done = 0;
    while (done < n) {
        const int32_t run = std::min(n - done, m_ring.ContiguousBlocks(m_blockAlign));
        uint8_t* start = m_ring.TailPointer();
        const int32_t written = PutBlocks(start, x + done, y + done, run, m_channels, m_bitsPerSample);
        m_crc = frame_crc::Update(m_crc, start, static_cast<size_t>(written) * static_cast<size_t>(m_blockAlign));
        m_ring.CommitBlocks(written, m_blockAlign);
        m_frameBytesWritten += written * m_blockAlign;
        done += written;
        if (written < run)
            break;
    }
    return done;
}

// A block refused by EmitBlocks fails the frame and ends its decoding; the
// rest of the frame's blocks are held by fill bytes, so that the frame
// always has as many blocks in the ring as the room it was given.
void CFrameDecoder::DecodeBlocks(int32_t n) {
    int32_t done = 0;
    if (!m_frameFailed)
        done = m_channels == 2 ? DecodeStereoBlocks(n) : DecodeMonoBlocks(n);
    if (done < n) {
        m_frameFailed = 1;
        WriteFill(n - done);
    }
    m_blocksDecoded += n;
}

int32_t CFrameDecoder::DecodeStereoBlocks(int32_t n) {
    const bool bothSilent = (m_frameFlags & (kSilentX | kSilentY)) == (kSilentX | kSilentY);
    const bool monoCoded = !bothSilent && (m_frameFlags & kMonoCodedStereo);
    // Streams whose predictors take the other channel's values are range coded.
    if (!bothSilent && !monoCoded && m_crossX && m_crossY && m_rangeReader)
        return m_version >= 3990 ? DecodeCrossBlocks<true>(n) : DecodeCrossBlocks<false>(n);
    CBitReader& reader = *m_reader;
    int32_t x[kChunkBlocks];
    int32_t y[kChunkBlocks];
    for (int32_t done = 0; done < n;) {
        const int32_t count = std::min(n - done, kChunkBlocks);
        if (bothSilent) {
            std::fill(x, x + count, 0);
            std::fill(y, y + count, 0);
        } else if (monoCoded) {
            reader.DecodeAdaptiveValues(m_stateX, x, count);
            m_predictorX->DecodeSamples(x, count);
            std::fill(y, y + count, 0);
        } else {
            reader.DecodeAdaptivePairs(m_stateX, x, m_stateY, y, count);
            m_predictorX->DecodeSamples(x, count);
            m_predictorY->DecodeSamples(y, count);
        }
        const int32_t emitted = EmitBlocks(x, y, count);
        done += emitted;
        if (emitted < count)
            return done;
    }
    return n;
}

// A software pipeline over chunks of blocks: while the range decoder works
// through the residuals of the next chunk, the predictors finish the values of
// this one. Both are long chains of dependent steps, so interleaved they run
// side by side. The filter stages take each chunk's residuals in between.
// The frame's model states start afresh with every frame, so the newer
// generation's k, which nothing reads, is not stepped here.
template <bool kNewer>
int32_t CFrameDecoder::DecodeCrossBlocks(int32_t n) {
    int32_t residualX[2][kChunkBlocks], residualY[2][kChunkBlocks];
    int32_t x[kChunkBlocks], y[kChunkBlocks];
    CPredictor3950& predictorX = *m_crossX;
    CPredictor3950& predictorY = *m_crossY;
    const RangeCursor cursor = m_rangeReader->Cursor();
    RangeRegisters registers = m_rangeReader->Registers();
    RangeModelState stateX = m_stateX, stateY = m_stateY;
    int32_t lastX = m_lastX;
    int32_t done = 0;
    int current = 0;
    int32_t ready = std::min(n, kChunkBlocks);
    for (int32_t i = 0; i < ready; ++i) {
        residualY[0][i] = cursor.Decode<kNewer, !kNewer>(registers, stateY);
        residualX[0][i] = cursor.Decode<kNewer, !kNewer>(registers, stateX);
    }
    CPredictor3950::FilterStagesPair(predictorY, residualY[0], predictorX, residualX[0], ready);
    while (ready > 0) {
        // Every chunk but the last is whole, so the next is never longer.
        const int32_t next = std::min(n - done - ready, kChunkBlocks);
        const int32_t* fy = residualY[current];
        const int32_t* fx = residualX[current];
        int32_t* ny = residualY[current ^ 1];
        int32_t* nx = residualX[current ^ 1];
        for (int32_t i = 0; i < ready; ++i) {
            if (i < next) {
                ny[i] = cursor.Decode<kNewer, !kNewer>(registers, stateY);
                nx[i] = cursor.Decode<kNewer, !kNewer>(registers, stateX);
            }
            y[i] = predictorY.Predict(fy[i], lastX);
            x[i] = lastX = predictorX.Predict(fx[i], y[i]);
        }
        const int32_t emitted = EmitBlocks(x, y, ready);
        done += emitted;
        if (emitted < ready)
            break;
        CPredictor3950::FilterStagesPair(predictorY, ny, predictorX, nx, next);
        ready = next;
        current ^= 1;
    }
    m_lastX = lastX;
    m_stateX = stateX;
    m_stateY = stateY;
    m_rangeReader->Finish(registers);
    return done;
}

int32_t CFrameDecoder::DecodeMonoBlocks(int32_t n) {
    int32_t x[kChunkBlocks];
    for (int32_t done = 0; done < n;) {
        const int32_t count = std::min(n - done, kChunkBlocks);
        if (m_frameFlags & kSilentX) {
            EmitBlocks(kSilence, kSilence, count);
        } else {
            m_reader->DecodeAdaptiveValues(m_stateX, x, count);
            m_predictorX->DecodeSamples(x, count);
            EmitBlocks(x, kSilence, count);
        }
        done += count;
    }
    return n;
}

}  // namespace zem
