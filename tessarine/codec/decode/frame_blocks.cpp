// Per-block decoding of CFrameDecoder: residuals through the predictors to
// the X and Y values, and those to output bytes.
#include "tessarine/codec/decode/frame_decoder.h"

#include "tessarine/codec/decode/bit_reader.h"
#include "tessarine/codec/decode/frame_crc.h"
#include "tessarine/codec/decode/predictor.h"

namespace {

// Frame flags, the word behind a check word with its top bit set.
constexpr uint32_t kSilentX = 1;
constexpr uint32_t kSilentY = 2;
constexpr uint32_t kMonoCodedStereo = 4;

inline void PutSample(uint8_t*& out, int32_t value, int32_t bits) {
    uint32_t v = static_cast<uint32_t>(value);
    switch (bits) {
    case 8: *out++ = static_cast<uint8_t>(v + 128); break;
    case 16:
        *out++ = static_cast<uint8_t>(v);
        *out++ = static_cast<uint8_t>(v >> 8);
        break;
    default: {
        // The 24-bit two's complement form; a negative value is written as
        // (v + 2^23) or 2^23, which differs only for values out of range.
        uint32_t form = value < 0 ? ((v + (1u << 23)) | (1u << 23)) : v;
        *out++ = static_cast<uint8_t>(form);
        *out++ = static_cast<uint8_t>(form >> 8);
        *out++ = static_cast<uint8_t>(form >> 16);
        break;
    }
    }
}

}  // namespace

// A 16-bit stereo block whose samples do not fit is refused before anything
// is written (false): the frame fails.
bool CFrameDecoder::EmitBlock(int32_t x, int32_t y) {
    uint8_t* start = m_ring.TailPointer();
    uint8_t* out = start;
    if (m_channels == 2) {
        int32_t first = static_cast<int32_t>(static_cast<uint32_t>(x) - static_cast<uint32_t>(y / 2));
        int32_t second = static_cast<int32_t>(static_cast<uint32_t>(first) + static_cast<uint32_t>(y));
        if (m_bitsPerSample == 16 && (first < -32768 || first > 32767 || second < -32768 || second > 32767))
            return false;
        if (m_bitsPerSample == 8) {
            // Bytes wrap modulo 256: the second is the first byte plus Y.
            uint8_t firstByte = static_cast<uint8_t>(static_cast<uint32_t>(first) + 128);
            *out++ = firstByte;
            *out++ = static_cast<uint8_t>(firstByte + static_cast<uint32_t>(y));
        } else {
            PutSample(out, first, m_bitsPerSample);
            PutSample(out, second, m_bitsPerSample);
        }
    } else {
        PutSample(out, x, m_bitsPerSample);
    }
    m_crc = frame_crc::Update(m_crc, start, static_cast<size_t>(m_blockAlign));
    m_ring.CommitBlock(m_blockAlign);
    m_frameBytesWritten += m_blockAlign;
    return true;
}

// A block refused by EmitBlock fails the frame and ends its decoding; the
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
    CBitReader& reader = *m_reader;
    CPredictor& px = *m_predictorX;
    CPredictor& py = *m_predictorY;
    int32_t i = 0;
    if ((m_frameFlags & (kSilentX | kSilentY)) == (kSilentX | kSilentY)) {
        for (; i < n; ++i)
            EmitBlock(0, 0);
    } else if (m_frameFlags & kMonoCodedStereo) {
        for (; i < n; ++i)
            if (!EmitBlock(px.DecodeSample(reader.DecodeAdaptiveValue(m_stateX), 0), 0))
                break;
    } else if (m_version < 3950) {
        for (; i < n; ++i) {
            int32_t x = px.DecodeSample(reader.DecodeAdaptiveValue(m_stateX), 0);
            int32_t y = py.DecodeSample(reader.DecodeAdaptiveValue(m_stateY), 0);
            if (!EmitBlock(x, y))
                break;
        }
    } else {
        for (; i < n; ++i) {
            int32_t residualY = reader.DecodeAdaptiveValue(m_stateY);
            int32_t residualX = reader.DecodeAdaptiveValue(m_stateX);
            int32_t y = py.DecodeSample(residualY, m_lastX);
            int32_t x = px.DecodeSample(residualX, y);
            m_lastX = x;
            if (!EmitBlock(x, y))
                break;
        }
    }
    return i;
}

int32_t CFrameDecoder::DecodeMonoBlocks(int32_t n) {
    if (m_frameFlags & kSilentX) {
        for (int32_t i = 0; i < n; ++i)
            EmitBlock(0, 0);
        return n;
    }
    CBitReader& reader = *m_reader;
    CPredictor& px = *m_predictorX;
    for (int32_t i = 0; i < n; ++i)
        EmitBlock(px.DecodeSample(reader.DecodeAdaptiveValue(m_stateX), 0), 0);
    return n;
}
