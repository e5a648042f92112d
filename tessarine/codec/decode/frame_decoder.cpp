#include "tessarine/codec/decode/frame_decoder.h"

#include "tessarine/codec/codec_error.h"
#include "tessarine/codec/info_id.h"
#include "tessarine/codec/stream_info.h"

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

// Frame decoding is not built yet: both calls refuse plainly rather than hand
// out silence as if it were audio.
int CFrameDecoder::GetData(void* destination, int blocks, int* blocksRetrieved) {
    if (blocksRetrieved)
        *blocksRetrieved = 0;
    return CODEC_FAILED;
}

int CFrameDecoder::Seek(int block) { return CODEC_FAILED; }

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
