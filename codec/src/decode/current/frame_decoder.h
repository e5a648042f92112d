// SPDX-License-Identifier: BSD-3-Clause
// Decoder of ZEM streams of version 3930 and later, offering a block range of
// the stream through the decoder interface. Frames are decoded on demand into
// a ring of blocks; a frame's blocks are handed out only once it has passed
// its check, and a frame that fails it reads as fill bytes.
#pragma once

#include "coding/range_coding.h"
#include "container/stream_extent.h"
#include "container/wave_format.h"
#include "decode/current/block_ring.h"
#include "decode/decoder.h"
#include "decode/block_range_queries.h"
#include "io/owned_ptr.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace zem {

class CStreamInfo;
class CBitReader;
class CPredictor;
class CPredictor3950;
class CRangeBitReader;

class CFrameDecoder : public CDecoder {
public:
    static constexpr int kFirstVersion = 3930;
    // Largest ring a stream may ask for ((blocks per frame + 4096) x block
    // align); a header asking for more is refused as out of memory.
    static constexpr int64_t kMaxRingBytes = int64_t(1) << 27;

    // Takes over `info` whatever happens (it is deleted with the decoder) and
    // fixes the range; `error` (may be null) gets 0, or -1 for a version
    // below kFirstVersion. Decodes nothing and allocates no decoding buffer.
    CFrameDecoder(int* error, CStreamInfo* info, int startBlock, int finishBlock);
    ~CFrameDecoder() override;

    // Returns 0, or CODEC_BAD_CHECKSUM when any block handed out is fill of
    // a frame that failed its check, CODEC_TRUNCATED when it is fill of a
    // frame whose bytes the file does not hold (the blocks are delivered all
    // the same).
    int GetData(void* destination, int blocks, int* blocksRetrieved) override;
    int Seek(int block) override;
    int64_t GetInfo(int query, intptr_t param1 = 0, intptr_t param2 = 0) override;

private:
    // Checked blocks waiting in the ring, frame by frame, oldest first.
    struct ReadySpan {
        int32_t blocks;
        int result;  // CODEC_OK, or why the span is fill
    };

    int Initialise();
    int SetUpDecoding();
    int Reposition(int32_t frame);
    int FillRing(int32_t wanted);
    void BeginFrame();
    void DecodeBlocks(int32_t n);
    int32_t DecodeStereoBlocks(int32_t n);
    int32_t DecodeMonoBlocks(int32_t n);
    // The common case: range-coded stereo whose predictors take the other
    // channel's values. Returns the blocks written.
    template <bool kNewer>
    int32_t DecodeCrossBlocks(int32_t n);
    // Writes the blocks of x (and y for stereo) into the ring; a 16-bit stereo
    // block that does not fit stops it. Returns the blocks written.
    int32_t EmitBlocks(const int32_t* x, const int32_t* y, int32_t n);
    void FinishFrame();
    void CompleteFrame(int32_t frameBlocks);
    void WriteFill(int32_t blocks);
    int32_t TakeReady(int32_t blocks, int* result);

    OwnedPtr<CStreamInfo> m_info;
    WAVEFORMATEX m_format = {};
    int32_t m_blockAlign = 0;
    BlockRange m_range;
    int32_t m_currentBlock = 0;  // absolute block the next GetData delivers
    bool m_initialised = false;
    int m_initResult = 0;        // what initialisation returned; kept when it failed

    // Stream constants, read at initialisation.
    int32_t m_version = 0;
    int32_t m_channels = 0;
    int32_t m_bitsPerSample = 0;
    int32_t m_blocksPerFrame = 0;
    int32_t m_totalFrames = 0;

    // Frame loop state, all 0 until the first GetData or Seek.
    int32_t m_currentFrame = 0;
    int64_t m_blocksDecoded = 0;  // since the last seek, from the start of the frame sought to
    int32_t m_blocksReady = 0;    // checked blocks that GetData may hand out
    int m_frameFailed = 0;
    bool m_frameMissing = false;  // the file ends before the frame: it is fill, not decoded
    const StreamExtent* m_extent = nullptr;
    uint32_t m_crc = 0;
    uint32_t m_storedCheck = 0;
    uint32_t m_frameFlags = 0;
    int32_t m_frameBytesWritten = 0;  // ring bytes of the frame being decoded
    // A vector, not a deque: construction must allocate nothing, so that a
    // failed allocation cannot strand the stream information it took over.
    std::vector<ReadySpan> m_readySpans;

    std::unique_ptr<CBitReader> m_reader;
    RangeModelState m_stateX;
    RangeModelState m_stateY;
    std::unique_ptr<CPredictor> m_predictorX;
    std::unique_ptr<CPredictor> m_predictorY;
    // The same predictors when they take the other channel's values (3950 and later).
    CPredictor3950* m_crossX = nullptr;
    CPredictor3950* m_crossY = nullptr;
    CRangeBitReader* m_rangeReader = nullptr;  // the reader, when it is the range reader
    int32_t m_lastX = 0;
    CBlockRing m_ring;
};

}  // namespace zem
