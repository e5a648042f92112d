// SPDX-License-Identifier: BSD-3-Clause
#include "decode/older/older_decoder.h"

#include "container/codec_error.h"
#include "container/info_id.h"
#include "container/stream_info.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace zem {

COlderDecoder::COlderDecoder(int* error, CStreamInfo* info, int startBlock, int finishBlock) {
    if (error)
        *error = CODEC_OK;
    // Ownership first: from here on the stream information goes with this
    // object, also when the version is refused or anything below throws.
    m_info.Assign(info, false, true);
    const int64_t version = info ? info->GetInfo(Version) : 0;
    int refusal = CODEC_OK;
    if (!info || version > kLastVersion)
        refusal = CODEC_FAILED;
    else if (version >= kFirstUncodedVersion && version <= kLastUncodedVersion)
        refusal = CODEC_BAD_INPUT;
    if (refusal != CODEC_OK) {
        if (error)
            *error = refusal;
        // A refused decoder decodes nothing, should it be asked to.
        m_initialised = true;
        m_setupError = refusal;
        return;
    }
    m_blockAlign = static_cast<int32_t>(info->GetInfo(BlockAlign));
    m_range = ClampBlockRange(*info, startBlock, finishBlock);
}

COlderDecoder::~COlderDecoder() = default;

// A failed set-up is kept: every later call returns its error.
int COlderDecoder::Initialise() {
    if (m_initialised)
        return m_setupError;
    m_initialised = true;
    m_setupError = m_frames.Setup(m_info.Get());
    if (m_setupError != CODEC_OK)
        return m_setupError;
    m_blocksPerFrame = static_cast<int32_t>(m_info->GetInfo(BlocksPerFrame));
    if (m_blocksPerFrame <= 0) {
        m_setupError = CODEC_FAILED;
        return m_setupError;
    }
    const int64_t frameBytes = int64_t(m_blocksPerFrame) * m_blockAlign;
    try {
        m_buffer.assign(static_cast<size_t>(std::max<int64_t>(2 * frameBytes + 32, 65536)), 0);
    } catch (const std::bad_alloc&) {
        m_setupError = CODEC_NO_MEMORY;
        return m_setupError;
    }
    // Positioned at the range's start; the first frame is decoded when asked
    // for. Decoding it here would let a damaged first frame fail a first seek
    // to any other frame.
    PositionAt(m_range.start);
    return CODEC_OK;
}

// Only called while blocks of the range are wanted: a frame that yields none
// (past the last frame of a header whose blocks outnumber its frames) is a
// failure too, not the end.
int COlderDecoder::DecodeNextFrame() {
    const int blocks = m_frames.DecodeFrame(m_buffer.data(), m_nextFrame);
    if (blocks == COlderFrameReader::kCut)
        return CODEC_TRUNCATED;
    if (blocks <= 0)
        return CODEC_FAILED;
    ++m_nextFrame;
    const int32_t skip = std::min(m_pendingSkip, blocks);
    m_pendingSkip = 0;
    m_readOffset = skip * m_blockAlign;
    m_bufferedBytes = (blocks - skip) * m_blockAlign;
    return CODEC_OK;
}

void COlderDecoder::CopyOut(uint8_t* destination, int32_t blocks) {
    const int32_t bytes = blocks * m_blockAlign;
    std::memcpy(destination, m_buffer.data() + m_readOffset, static_cast<size_t>(bytes));
    m_readOffset += bytes;
    m_bufferedBytes -= bytes;
}

int COlderDecoder::GetData(void* destination, int blocks, int* blocksRetrieved) {
    if (blocksRetrieved)
        *blocksRetrieved = 0;
    const int err = Initialise();
    if (err != CODEC_OK)
        return err;
    const int64_t wanted = std::max<int64_t>(0, std::min<int64_t>(blocks, int64_t(m_range.finish) - m_currentBlock));
    uint8_t* out = static_cast<uint8_t*>(destination);
    int32_t delivered = 0;
    int result = CODEC_OK;
    while (delivered < wanted && m_blockAlign > 0) {
        if (m_bufferedBytes == 0) {
            const int decoded = DecodeNextFrame();
            if (decoded != CODEC_OK) {
                result = decoded;
                break;
            }
            continue;
        }
        const int32_t take = static_cast<int32_t>(std::min<int64_t>(wanted - delivered, m_bufferedBytes / m_blockAlign));
        CopyOut(out + int64_t(delivered) * m_blockAlign, take);
        delivered += take;
    }
    m_currentBlock += delivered;
    if (blocksRetrieved)
        *blocksRetrieved = delivered;
    return result;
}

// A failed seek still lands on the block: the next GetData decodes the frame
// again and drops the blocks ahead of it, so nothing before it is delivered.
int COlderDecoder::Seek(int block) {
    const int err = Initialise();
    if (err != CODEC_OK)
        return err;
    int64_t target = int64_t(block) + m_range.start;
    target = std::min<int64_t>(target, int64_t(m_range.finish) - 1);
    target = std::max<int64_t>(target, m_range.start);
    PositionAt(target);
    if (m_range.finish <= m_range.start)
        return CODEC_OK;  // an empty range: nothing to decode
    return DecodeNextFrame();
}

void COlderDecoder::PositionAt(int64_t block) {
    m_bufferedBytes = 0;
    m_readOffset = 0;
    m_currentBlock = static_cast<int32_t>(block);
    m_nextFrame = static_cast<int32_t>(block / m_blocksPerFrame);
    m_pendingSkip = static_cast<int32_t>(block % m_blocksPerFrame);
}

int32_t COlderDecoder::CurrentFrame() const { return m_nextFrame > 0 ? m_nextFrame - 1 : 0; }

int64_t COlderDecoder::GetInfo(int query, intptr_t param1, intptr_t param2) {
    DecoderQueryContext context;
    context.info = m_info.Get();
    context.range = m_range;
    context.blockAlign = m_blockAlign;
    context.currentBlock = m_currentBlock;
    context.currentFrame = CurrentFrame();
    context.initialised = m_initialised;
    return AnswerDecoderQuery(context, query, param1, param2);
}

}  // namespace zem
