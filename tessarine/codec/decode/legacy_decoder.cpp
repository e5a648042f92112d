#include "tessarine/codec/decode/legacy_decoder.h"

#include "tessarine/codec/codec_error.h"
#include "tessarine/codec/info_id.h"
#include "tessarine/codec/stream_info.h"

CLegacyDecoder::CLegacyDecoder(int* error, CStreamInfo* info, int startBlock, int finishBlock) {
    if (error)
        *error = CODEC_OK;
    // Ownership first: from here on the stream information goes with this
    // object, also when the version is refused or anything below throws.
    m_info.Assign(info, false, true);
    if (!info || info->GetInfo(Version) > kLastVersion) {
        if (error)
            *error = CODEC_FAILED;
        return;
    }
    m_blockAlign = static_cast<int32_t>(info->GetInfo(BlockAlign));
    m_range = ClampBlockRange(*info, startBlock, finishBlock);
}

CLegacyDecoder::~CLegacyDecoder() = default;

// Frame decoding is not built yet: both calls refuse plainly rather than hand
// out silence as if it were audio.
int CLegacyDecoder::GetData(void* destination, int blocks, int* blocksRetrieved) {
    if (blocksRetrieved)
        *blocksRetrieved = 0;
    return CODEC_FAILED;
}

int CLegacyDecoder::Seek(int block) { return CODEC_FAILED; }

int32_t CLegacyDecoder::CurrentFrame() const { return m_nextFrame > 0 ? m_nextFrame - 1 : 0; }

int64_t CLegacyDecoder::GetInfo(int query, intptr_t param1, intptr_t param2) {
    DecoderQueryContext context;
    context.info = m_info.Get();
    context.range = m_range;
    context.blockAlign = m_blockAlign;
    context.currentBlock = m_currentBlock;
    context.currentFrame = CurrentFrame();
    context.initialised = m_initialised;
    return AnswerDecoderQuery(context, query, param1, param2);
}
