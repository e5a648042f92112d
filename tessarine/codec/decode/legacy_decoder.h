// Decoder of ZEM streams up to version 3920, which store each channel's
// residuals of a frame as one block; same interface as CFrameDecoder.
#pragma once

#include "tessarine/codec/decode/decoder.h"
#include "tessarine/codec/decode/range_queries.h"
#include "tessarine/codec/owned_ptr.h"

#include <cstdint>

class CStreamInfo;

class CLegacyDecoder : public CDecoder {
public:
    static constexpr int kLastVersion = 3920;

    // Takes over `info` whatever happens (it is deleted with the decoder) and
    // fixes the range; `error` (may be null) gets 0, or -1 for a version
    // above kLastVersion. Decodes nothing and allocates no decoding buffer.
    CLegacyDecoder(int* error, CStreamInfo* info, int startBlock, int finishBlock);
    ~CLegacyDecoder() override;

    int GetData(void* destination, int blocks, int* blocksRetrieved) override;
    int Seek(int block) override;
    int64_t GetInfo(int query, intptr_t param1 = 0, intptr_t param2 = 0) override;

private:
    // The frame whose output is being handed out (0 before the first frame).
    int32_t CurrentFrame() const;

    OwnedPtr<CStreamInfo> m_info;
    int32_t m_blockAlign = 0;
    BlockRange m_range;
    int32_t m_currentBlock = 0;  // absolute block the next GetData delivers
    bool m_initialised = false;

    // Frame loop state, all 0 until the first GetData or Seek.
    int32_t m_nextFrame = 0;      // next frame to decode
    int32_t m_bufferedBytes = 0;  // decoded bytes waiting in the output buffer
};
