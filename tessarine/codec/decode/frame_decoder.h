// Decoder of ZEM streams of version 3930 and later, offering a block range of
// the stream through the decoder interface.
#pragma once

#include "tessarine/codec/decode/decoder.h"
#include "tessarine/codec/decode/range_queries.h"
#include "tessarine/codec/owned_ptr.h"
#include "tessarine/codec/wave_format.h"

#include <cstdint>

class CStreamInfo;

class CFrameDecoder : public CDecoder {
public:
    static constexpr int kFirstVersion = 3930;

    // Takes over `info` whatever happens (it is deleted with the decoder) and
    // fixes the range; `error` (may be null) gets 0, or -1 for a version
    // below kFirstVersion. Decodes nothing and allocates no decoding buffer.
    CFrameDecoder(int* error, CStreamInfo* info, int startBlock, int finishBlock);
    ~CFrameDecoder() override;

    int GetData(void* destination, int blocks, int* blocksRetrieved) override;
    int Seek(int block) override;
    int64_t GetInfo(int query, intptr_t param1 = 0, intptr_t param2 = 0) override;

private:
    OwnedPtr<CStreamInfo> m_info;
    WAVEFORMATEX m_format = {};
    int32_t m_blockAlign = 0;
    BlockRange m_range;
    int32_t m_currentBlock = 0;  // absolute block the next GetData delivers
    bool m_initialised = false;

    // Frame loop state, all 0 until the first GetData or Seek.
    int32_t m_currentFrame = 0;
    int32_t m_blocksDecoded = 0;  // since the last seek, from the start of the frame sought to
    int32_t m_blocksReady = 0;    // checked blocks that GetData may hand out
    int m_frameFailed = 0;
};
