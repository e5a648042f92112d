// SPDX-License-Identifier: BSD-3-Clause
#include "decode/current/frame_decoder.h"

#include "coding/bit_reader.h"
#include "coding/range_bit_reader.h"
#include "container/codec_error.h"
#include "container/info_id.h"
#include "container/stream_info.h"
#include "model/predictor.h"
#include "model/predictor_3950.h"

#include <algorithm>
#include <new>
#include <vector>

namespace zem {

CFrameDecoder::CFrameDecoder(int* error, CStreamInfo* info, int startBlock, int finishBlock) {
    if (error)
        *error = CODEC_OK;
    // Ownership first: from here on the stream information goes with this
    // object, also when the version is refused or anything below throws.
    m_info.Assign(info, false, true);
    if (!info || info->GetInfo(Version) < kFirstVersion) {
        if (error)
            *error = CODEC_FAILED;
        return;
    }
    m_blockAlign = static_cast<int32_t>(info->GetInfo(BlockAlign));
    info->GetInfo(WaveFormat, reinterpret_cast<intptr_t>(&m_format));
    m_range = ClampBlockRange(*info, startBlock, finishBlock);
}

CFrameDecoder::~CFrameDecoder() = default;

int CFrameDecoder::Initialise() {
    if (!m_initialised) {
        m_initialised = true;
        m_initResult = SetUpDecoding();
    }
    return m_initResult;
}

// Streams that no frame could be decoded from (no channels or sample sizes
// this decoder writes, no blocks per frame, a ring beyond any sensible size)
// are refused here rather than handed out as stale bytes.
int CFrameDecoder::SetUpDecoding() {
    CStreamInfo& info = *m_info;
    m_version = static_cast<int32_t>(info.GetInfo(Version));
    m_channels = static_cast<int32_t>(info.GetInfo(Channels));
    m_bitsPerSample = static_cast<int32_t>(info.GetInfo(BitsPerSample));
    m_blocksPerFrame = static_cast<int32_t>(info.GetInfo(BlocksPerFrame));
    m_totalFrames = static_cast<int32_t>(info.GetInfo(TotalFrames));
    static const StreamExtent kWhole;
    m_extent = reinterpret_cast<const StreamExtent*>(static_cast<intptr_t>(info.GetInfo(StreamExtentRecord)));
    if (!m_extent)
        m_extent = &kWhole;
    bool known = (m_channels == 1 || m_channels == 2) &&
                 (m_bitsPerSample == 8 || m_bitsPerSample == 16 || m_bitsPerSample == 24) &&
                 m_blockAlign == m_channels * (m_bitsPerSample / 8);
    if (!known || m_blocksPerFrame < 1)
        return CODEC_BAD_INPUT;
    // The ring holds the largest frame whole: a damaged header may give the
    // final frame more blocks than the others, and a frame's blocks are only
    // handed out once all of them are decoded.
    int64_t finalBlocks = std::max<int64_t>(info.GetInfo(FinalFrameBlocks), 0);
    int64_t largestFrame = std::max<int64_t>(m_blocksPerFrame, finalBlocks);
    int64_t ringBytes = (largestFrame + 4096) * m_blockAlign;
    if (ringBytes > kMaxRingBytes ||
        !m_ring.Create(static_cast<int32_t>(ringBytes), 64 * m_blockAlign))
        return CODEC_NO_MEMORY;
    m_reader.reset(CreateBitReader(m_info.Get(), m_version));
    if (!m_reader)
        return CODEC_NO_MEMORY;
    m_rangeReader = dynamic_cast<CRangeBitReader*>(m_reader.get());
    // An unsupported level makes the predictor constructors throw; that must
    // not leave this call, and the decoder stays unusable.
    int level = static_cast<int>(info.GetInfo(CompressionLevel));
    try {
        m_predictorX = CreatePredictor(level, m_version);
        m_predictorY = CreatePredictor(level, m_version);
        m_crossX = dynamic_cast<CPredictor3950*>(m_predictorX.get());
        m_crossY = dynamic_cast<CPredictor3950*>(m_predictorY.get());
    } catch (...) {
        return CODEC_FAILED;
    }
    return Seek(0);
}

int CFrameDecoder::GetData(void* destination, int blocks, int* blocksRetrieved) {
    if (blocksRetrieved)
        *blocksRetrieved = 0;
    int result = Initialise();
    if (result != CODEC_OK)
        return result;
    int32_t remaining = static_cast<int32_t>(std::clamp<int64_t>(blocks, 0, int64_t(m_range.finish) - m_currentBlock));
    uint8_t* out = static_cast<uint8_t*>(destination);
    int32_t delivered = 0;
    // A frame that fails while an earlier frame's blocks are handed out is
    // reported by the call that hands out its fill, not by this one: the
    // result always speaks of the blocks delivered.
    while (remaining > 0) {
        FillRing(remaining);
        int spanResult = CODEC_OK;
        int32_t take = TakeReady(remaining, &spanResult);
        if (take == 0)
            break;
        if (spanResult != CODEC_OK && result != CODEC_TRUNCATED)
            result = spanResult;
        m_ring.Read(out ? out + int64_t(delivered) * m_blockAlign : nullptr, take * m_blockAlign);
        delivered += take;
        remaining -= take;
    }
    m_currentBlock += delivered;
    if (blocksRetrieved)
        *blocksRetrieved = delivered;
    return result;
}

// Hands out up to `blocks` ready blocks, frame span by frame span; `result`
// says why any of them is fill (a cut file before a failed check). Spans
// handed out are dropped all at once, so that a ring of many small frames
// costs no more per frame than one of a few large ones.
int32_t CFrameDecoder::TakeReady(int32_t blocks, int* result) {
    int32_t taken = 0;
    size_t done = 0;
    while (taken < blocks && done < m_readySpans.size()) {
        ReadySpan& span = m_readySpans[done];
        int32_t now = std::min(blocks - taken, span.blocks);
        if (span.result == CODEC_TRUNCATED || *result == CODEC_OK)
            *result = span.result;
        span.blocks -= now;
        taken += now;
        if (span.blocks == 0)
            ++done;
    }
    m_readySpans.erase(m_readySpans.begin(), m_readySpans.begin() + static_cast<ptrdiff_t>(done));
    m_blocksReady -= taken;
    return taken;
}

int CFrameDecoder::Seek(int block) {
    int result = Initialise();
    if (result != CODEC_OK)
        return result;
    int64_t target = int64_t(block) + m_range.start;
    target = std::clamp<int64_t>(target, m_range.start, std::max<int64_t>(m_range.start, int64_t(m_range.finish) - 1));
    // Blocks past the last frame's start belong to it, however long it is.
    int64_t frame = std::min<int64_t>(target / m_blocksPerFrame, std::max(m_totalFrames - 1, 0));
    int32_t skip = static_cast<int32_t>(target - frame * m_blocksPerFrame);
    m_currentBlock = static_cast<int32_t>(frame * m_blocksPerFrame);
    m_currentFrame = static_cast<int32_t>(frame);
    m_blocksDecoded = m_currentBlock;
    m_blocksReady = 0;
    m_readySpans.clear();
    m_frameBytesWritten = 0;
    m_frameFailed = 0;
    m_frameMissing = false;
    m_ring.Empty();
    // An empty range has nothing to decode: stand at its start.
    if (m_range.Length() == 0) {
        m_currentBlock = m_range.start;
        return CODEC_OK;
    }
    result = Reposition(m_currentFrame);
    if (result != CODEC_OK)
        return result;
    if (skip == 0)
        return CODEC_OK;
    std::vector<uint8_t> discard;
    try {
        discard.resize(static_cast<size_t>(skip) * static_cast<size_t>(m_blockAlign));
    } catch (const std::bad_alloc&) {
        return CODEC_NO_MEMORY;
    }
    int got = 0;
    GetData(discard.data(), skip, &got);
    return got < skip ? CODEC_FAILED : CODEC_OK;
}

int64_t CFrameDecoder::GetInfo(int query, intptr_t param1, intptr_t param2) {
    DecoderQueryContext context;
    context.info = m_info.Get();
    context.range = m_range;
    context.blockAlign = m_blockAlign;
    context.format = &m_format;
    context.currentBlock = m_currentBlock;
    context.currentFrame = m_currentFrame;
    context.initialised = m_initialised;
    return AnswerDecoderQuery(context, query, param1, param2);
}

}  // namespace zem
