// SPDX-License-Identifier: BSD-3-Clause
#include "encode/frame_encoder.h"

#include "coding/frame_crc.h"
#include "encode/forward_predictor.h"
#include "encode/range_encoder.h"

#include <algorithm>

namespace zem {

namespace {

// Frame flags, the word behind a check word with its top bit set.
constexpr uint32_t kSilentX = 1;
constexpr uint32_t kSilentY = 2;
constexpr uint32_t kMonoCodedStereo = 4;

// One sample as a signed value; 8-bit samples are stored unsigned.
template <int kBits>
inline int32_t ReadSample(const uint8_t*& p) {
    if constexpr (kBits == 8) {
        return int32_t(*p++) - 128;
    } else if constexpr (kBits == 16) {
        int32_t v = int16_t(uint16_t(p[0] | p[1] << 8));
        p += 2;
        return v;
    } else {
        uint32_t u = uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16;
        p += 3;
        return u & 0x800000u ? int32_t(u) - 0x1000000 : int32_t(u);
    }
}

void PutBigEndian32(std::vector<uint8_t>* out, uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8)
        out->push_back(static_cast<uint8_t>(v >> shift));
}

// Every sample of the frame is 0 (128 in 8-bit samples).
bool AllSilent(const uint8_t* pcm, size_t bytes, int32_t bits) {
    const uint8_t silence = bits == 8 ? 128 : 0;
    return std::all_of(pcm, pcm + bytes, [silence](uint8_t b) { return b == silence; });
}

// Both samples of every block are the same, so every Y value is 0.
bool ChannelsEqual(const uint8_t* pcm, int32_t blocks, int32_t bytesPerSample) {
    const size_t size = static_cast<size_t>(bytesPerSample);
    for (int32_t i = 0; i < blocks; ++i, pcm += 2 * size)
        if (!std::equal(pcm, pcm + size, pcm + size))
            return false;
    return true;
}

}  // namespace

CFrameEncoder::CFrameEncoder(int32_t level, int32_t version, int32_t channels, int32_t bitsPerSample)
    : m_version(version), m_channels(channels), m_bitsPerSample(bitsPerSample),
      m_predictorX(CreateForwardPredictor(level, version)), m_predictorY(CreateForwardPredictor(level, version)) {}

CFrameEncoder::~CFrameEncoder() = default;

// A stereo frame whose X and Y values are all 0 is silent; one whose Y values
// alone are all 0 is coded as mono. (X alone being 0 earns no flag.)
uint32_t CFrameEncoder::ChooseFlags(const uint8_t* pcm, int32_t blocks) const {
    const int32_t bytesPerSample = m_bitsPerSample / 8;
    const bool silent = AllSilent(pcm, size_t(blocks) * size_t(m_channels * bytesPerSample), m_bitsPerSample);
    if (m_channels == 1)
        return silent ? kSilentX : 0;
    if (silent)
        return kSilentX | kSilentY;
    return ChannelsEqual(pcm, blocks, bytesPerSample) ? kMonoCodedStereo : 0;
}

// Stereo becomes X (the mid value, left + (right - left) / 2) and Y (right -
// left), which is what the decoder turns back into the two samples.
template <int kBits>
void CFrameEncoder::EncodeValues(const uint8_t* pcm, int32_t blocks, uint32_t flags, std::vector<uint8_t>* out) {
    CRangeEncoder coder(m_version);
    RangeModelState stateX;
    RangeModelState stateY;
    m_predictorX->Reset();
    m_predictorY->Reset();
    coder.Start(out);
    bool silent = (m_channels == 1 && (flags & kSilentX)) || (flags & (kSilentX | kSilentY)) == (kSilentX | kSilentY);
    if (silent) {
        // A silent frame holds an empty coded block.
    } else if (m_channels == 1) {
        for (int32_t i = 0; i < blocks; ++i)
            coder.EncodeAdaptiveValue(stateX, m_predictorX->EncodeSample(ReadSample<kBits>(pcm), 0));
    } else if (flags & kMonoCodedStereo) {
        for (int32_t i = 0; i < blocks; ++i) {
            const int32_t x = ReadSample<kBits>(pcm);
            pcm += kBits / 8;
            coder.EncodeAdaptiveValue(stateX, m_predictorX->EncodeSample(x, 0));
        }
    } else {
        // The decoder reads Y's residual first and predicts Y from the last X.
        int32_t lastX = 0;
        for (int32_t i = 0; i < blocks; ++i) {
            const int32_t first = ReadSample<kBits>(pcm);
            const int32_t y = ReadSample<kBits>(pcm) - first;
            const int32_t x = first + y / 2;
            coder.EncodeAdaptiveValue(stateY, m_predictorY->EncodeSample(y, lastX));
            coder.EncodeAdaptiveValue(stateX, m_predictorX->EncodeSample(x, y));
            lastX = x;
        }
    }
    coder.Finish();
}

uint32_t CFrameEncoder::EncodeFrame(const uint8_t* pcm, int32_t blocks, std::vector<uint8_t>* out) {
    int32_t blockAlign = m_channels * (m_bitsPerSample / 8);
    uint32_t flags = ChooseFlags(pcm, blocks);
    uint32_t check = frame_crc::CheckValue(frame_crc::Update(frame_crc::kInitial, pcm, size_t(blocks) * blockAlign));
    PutBigEndian32(out, flags ? check | 0x80000000u : check);
    if (flags)
        PutBigEndian32(out, flags);
    switch (m_bitsPerSample) {
    case 8: EncodeValues<8>(pcm, blocks, flags, out); break;
    case 16: EncodeValues<16>(pcm, blocks, flags, out); break;
    default: EncodeValues<24>(pcm, blocks, flags, out); break;
    }
    return flags;
}

}  // namespace zem
