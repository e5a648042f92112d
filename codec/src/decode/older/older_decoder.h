// SPDX-License-Identifier: BSD-3-Clause
// Decoder of ZEM streams up to version 3920, which store each channel's
// residuals of a frame as one block; same interface as CFrameDecoder.
#pragma once

#include "decode/decoder.h"
#include "decode/older/older_frame_reader.h"
#include "decode/block_range_queries.h"
#include "io/owned_ptr.h"

#include <cstdint>
#include <vector>

namespace zem {

class CStreamInfo;

class COlderDecoder : public CDecoder {
public:
    static constexpr int kLastVersion = 3920;
    // Versions whose residual coding carries no values (between the last Rice
    // generation and the range coder): refused with CODEC_BAD_INPUT.
    static constexpr int kFirstUncodedVersion = 3891;
    static constexpr int kLastUncodedVersion = 3899;

    // Takes over `info` whatever happens (it is deleted with the decoder) and
    // fixes the range; `error` (may be null) gets 0, -1 for a version above
    // kLastVersion, or CODEC_BAD_INPUT for 3891 to 3899. Decodes nothing and
    // allocates no decoding buffer.
    COlderDecoder(int* error, CStreamInfo* info, int startBlock, int finishBlock);
    ~COlderDecoder() override;

    int GetData(void* destination, int blocks, int* blocksRetrieved) override;
    int Seek(int block) override;
    int64_t GetInfo(int query, intptr_t param1 = 0, intptr_t param2 = 0) override;

private:
    // The frame whose output is being handed out (0 before the first frame).
    int32_t CurrentFrame() const;
    // Sets up the frame reader and the output buffer and positions at the
    // range's start, decoding nothing.
    int Initialise();
    // Drops what is buffered; the next frame decoded is the one holding
    // `block` (absolute), whose blocks before it are skipped.
    void PositionAt(int64_t block);
    // Decodes the next frame into the buffer, dropping the blocks a failed seek
    // left to skip: CODEC_OK, or CODEC_FAILED for a frame that fails or has
    // none, CODEC_TRUNCATED for one the file's end cuts.
    int DecodeNextFrame();
    void CopyOut(uint8_t* destination, int32_t blocks);

    OwnedPtr<CStreamInfo> m_info;
    int32_t m_blockAlign = 0;
    BlockRange m_range;
    int32_t m_currentBlock = 0;  // absolute block the next GetData delivers
    bool m_initialised = false;
    int m_setupError = 0;  // what initialisation (or a refused version) left

    // Frame loop state, all 0 until the first GetData or Seek.
    int32_t m_nextFrame = 0;      // next frame to decode
    int32_t m_bufferedBytes = 0;  // decoded bytes waiting in the output buffer
    int32_t m_readOffset = 0;     // where they start in the buffer
    int32_t m_pendingSkip = 0;    // blocks of the next frame that a seek skips
    int32_t m_blocksPerFrame = 0;
    std::vector<uint8_t> m_buffer;
    COlderFrameReader m_frames;
};

}  // namespace zem
