#include "encode/frame_encoder.h"

#include "coding/frame_crc.h"
#include "encode/forward_predictor.h"
#include "encode/range_encoder.h"

#include <algorithm>

namespace {

// Frame flags, the word behind a check word with its top bit set.
constexpr uint32_t kSilentX = 1;
constexpr uint32_t kSilentY = 2;
constexpr uint32_t kMonoCodedStereo = 4;

// One sample as a signed value; 8-bit samples are stored unsigned.
inline int32_t ReadSample(const uint8_t*& p, int32_t bits) {
    switch (bits) {
    case 8: return int32_t(*p++) - 128;
    case 16: {
        int32_t v = int16_t(uint16_t(p[0] | p[1] << 8));
        p += 2;
        return v;
    }
    default: {
        uint32_t u = uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16;
        p += 3;
        return u & 0x800000u ? int32_t(u) - 0x1000000 : int32_t(u);
    }
    }
}

void PutBigEndian32(std::vector<uint8_t>* out, uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8)
        out->push_back(static_cast<uint8_t>(v >> shift));
}

bool AllZero(const std::vector<int32_t>& values, int32_t count) {
    return std::all_of(values.begin(), values.begin() + count, [](int32_t v) { return v == 0; });
}

}  // namespace

CFrameEncoder::CFrameEncoder(int32_t level, int32_t version, int32_t channels, int32_t bitsPerSample)
    : m_version(version), m_channels(channels), m_bitsPerSample(bitsPerSample),
      m_predictorX(CreateForwardPredictor(level, version)), m_predictorY(CreateForwardPredictor(level, version)) {}

CFrameEncoder::~CFrameEncoder() = default;

// Stereo becomes X (the mid value, left + (right - left) / 2) and Y (right -
// left), which is what the decoder turns back into the two samples.
void CFrameEncoder::SplitChannels(const uint8_t* pcm, int32_t blocks) {
    m_x.resize(static_cast<size_t>(blocks));
    m_y.assign(static_cast<size_t>(blocks), 0);
    for (int32_t i = 0; i < blocks; ++i) {
        int32_t first = ReadSample(pcm, m_bitsPerSample);
        if (m_channels == 2) {
            int32_t second = ReadSample(pcm, m_bitsPerSample);
            m_y[i] = second - first;
            m_x[i] = first + m_y[i] / 2;
        } else {
            m_x[i] = first;
        }
    }
}

uint32_t CFrameEncoder::ChooseFlags(int32_t blocks) const {
    bool silentX = AllZero(m_x, blocks);
    if (m_channels == 1)
        return silentX ? kSilentX : 0;
    bool silentY = AllZero(m_y, blocks);
    if (silentX && silentY)
        return kSilentX | kSilentY;
    return silentY ? kMonoCodedStereo : 0;
}

void CFrameEncoder::EncodeValues(int32_t blocks, uint32_t flags, std::vector<uint8_t>* out) {
    CRangeEncoder coder(m_version);
    RangeModelState stateX;
    RangeModelState stateY;
    m_predictorX->Reset();
    m_predictorY->Reset();
    coder.Start(out);
    bool silent = (m_channels == 1 && (flags & kSilentX)) || (flags & (kSilentX | kSilentY)) == (kSilentX | kSilentY);
    if (silent) {
        // A silent frame holds an empty coded block.
    } else if (m_channels == 1 || (flags & kMonoCodedStereo)) {
        for (int32_t i = 0; i < blocks; ++i)
            coder.EncodeAdaptiveValue(stateX, m_predictorX->EncodeSample(m_x[i], 0));
    } else {
        // The decoder reads Y's residual first and predicts Y from the last X.
        int32_t lastX = 0;
        for (int32_t i = 0; i < blocks; ++i) {
            coder.EncodeAdaptiveValue(stateY, m_predictorY->EncodeSample(m_y[i], lastX));
            coder.EncodeAdaptiveValue(stateX, m_predictorX->EncodeSample(m_x[i], m_y[i]));
            lastX = m_x[i];
        }
    }
    coder.Finish();
}

uint32_t CFrameEncoder::EncodeFrame(const uint8_t* pcm, int32_t blocks, std::vector<uint8_t>* out) {
    int32_t blockAlign = m_channels * (m_bitsPerSample / 8);
    SplitChannels(pcm, blocks);
    uint32_t flags = ChooseFlags(blocks);
    uint32_t check = frame_crc::CheckValue(frame_crc::Update(frame_crc::kInitial, pcm, size_t(blocks) * blockAlign));
    PutBigEndian32(out, flags ? check | 0x80000000u : check);
    if (flags)
        PutBigEndian32(out, flags);
    EncodeValues(blocks, flags, out);
    return flags;
}
