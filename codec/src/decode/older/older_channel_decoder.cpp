// SPDX-License-Identifier: BSD-3-Clause
#include "decode/older/older_channel_decoder.h"

#include "container/codec_error.h"
#include "container/info_id.h"
#include "container/stream_info.h"
#include "decode/older/rice_bit_reader.h"

#include <new>

namespace zem {

namespace {

constexpr int kArraySlack = 16;
constexpr int32_t kFirstInPlaceVersion = 3320;
constexpr int32_t kFirstAdaptOffsetVersion = 3320;
constexpr int32_t kFirstPairVersion = 3600;
constexpr int32_t kFirstSignCascadeVersion = 3800;

}  // namespace

int COlderChannelDecoder::Setup(CStreamInfo* info) {
    m_level = static_cast<int32_t>(info->GetInfo(CompressionLevel));
    m_version = static_cast<int32_t>(info->GetInfo(Version));
    const int64_t blocksPerFrame = info->GetInfo(BlocksPerFrame);
    m_reader.reset(CreateBitReader(info, m_version));
    if (!m_reader)
        return CODEC_NO_MEMORY;
    m_predictor = CreateInversePredictor(m_level, m_version);
    if (m_level == 4000 && m_version >= kFirstSignCascadeVersion)
        m_signCascade.reset(new (std::nothrow) CSignCascade4000(m_version));
    m_capacity = static_cast<int32_t>(blocksPerFrame) + kArraySlack;
    try {
        m_x.assign(static_cast<size_t>(m_capacity), 0);
        m_y.assign(static_cast<size_t>(m_capacity), 0);
        m_scratch.assign(static_cast<size_t>(m_capacity), 0);
    } catch (const std::bad_alloc&) {
        return CODEC_NO_MEMORY;
    }
    return CODEC_OK;
}

bool COlderChannelDecoder::ReaderDamaged() {
    auto* rice = dynamic_cast<CRiceBitReader*>(m_reader.get());
    return rice && rice->Damaged();
}

COlderChannelDecoder::Parameters COlderChannelDecoder::ReadParameters(int countBits, int valueBits) {
    Parameters parameters;
    parameters.count = static_cast<int>(m_reader->ReadCodedValue(2, countBits));
    for (int i = 0; i <= parameters.count; ++i) {
        parameters.p[i] = static_cast<int>(m_reader->ReadCodedValue(2, valueBits));
        parameters.q[i] = static_cast<int>(m_reader->ReadCodedValue(2, valueBits));
    }
    return parameters;
}

void COlderChannelDecoder::OffsetPasses(const Parameters& parameters, int32_t* output, int n, bool adaptive) {
    using namespace inverse_blocks;
    int32_t* scratch = m_scratch.data();
    const int start = adaptive ? 32 : 64;
    for (int i = parameters.count; i >= 0; --i) {
        if (adaptive) {
            OffsetAdaptFilter(scratch, output, n, parameters.q[i], -1, start);
            OffsetAdaptFilter(output, scratch, n, parameters.p[i], 1, start);
        } else {
            OffsetShiftFilter(scratch, output, n, parameters.q[i], -1, start);
            OffsetShiftFilter(output, scratch, n, parameters.p[i], 1, start);
        }
    }
}

void COlderChannelDecoder::PairPasses(const Parameters& parameters, int32_t* output, int n) {
    using namespace inverse_blocks;
    int32_t* scratch = m_scratch.data();
    for (int i = parameters.count; i >= 0; i -= 2) {
        TwoTapFilter(scratch, output, n, parameters.p[i], parameters.q[i], 64);
        if (i - 1 < 0) {
            for (int j = 0; j < n; ++j)
                scratch[j] = output[j];
            break;
        }
        TwoTapFilter(output, scratch, n, parameters.p[i - 1], parameters.q[i - 1], 64);
    }
}

void COlderChannelDecoder::DecodeLevel4000(int32_t* output, int n, int32_t hint) {
    int32_t* scratch = m_scratch.data();
    if (m_version >= kFirstSignCascadeVersion) {
        m_reader->DecodeArray(scratch, n, hint);
        return m_signCascade->Reconstruct(scratch, output, n);
    }
    const bool pairs = m_version >= kFirstPairVersion;
    const bool adaptive = m_version >= kFirstAdaptOffsetVersion;
    const Parameters parameters = pairs ? ReadParameters(3, 6) : adaptive ? ReadParameters(3, 5) : ReadParameters(4, 6);
    m_reader->DecodeArray(scratch, n, hint);
    if (pairs) {
        PairPasses(parameters, output, n);
        if (m_version < 3700)
            inverse_members::High3600(scratch, output, n);
        else
            inverse_members::High3700(scratch, output, n);
        return;
    }
    OffsetPasses(parameters, output, n, adaptive);
    inverse_members::Poly3000(scratch, output, n);
}

bool COlderChannelDecoder::DecodeChannel(int32_t* output, int n, int32_t hint) {
    int32_t* scratch = m_scratch.data();
    if (m_level == 4000) {
        DecodeLevel4000(output, n, hint);
    } else if (!m_predictor) {
        // No reconstruction for this level: the channel decodes as silence.
        for (int i = 0; i < n; ++i)
            output[i] = 0;
    } else if (m_level == 1000 && m_version >= kFirstInPlaceVersion) {
        m_reader->DecodeArray(output, n, hint);
        m_predictor->Reconstruct(output, output, n);
    } else {
        m_reader->DecodeArray(scratch, n, hint);
        m_predictor->Reconstruct(scratch, output, n);
    }
    return !ReaderDamaged();
}

}  // namespace zem
