// SPDX-License-Identifier: BSD-3-Clause
#include "decode/block_range_queries.h"

#include "container/info_id.h"
#include "container/stream_info.h"

#include <algorithm>
#include <limits>

namespace zem {

namespace {

constexpr int64_t kMaxInt64 = std::numeric_limits<int64_t>::max();

// Blocks to milliseconds; 64-bit so that a long range cannot overflow.
int64_t BlocksToMs(int64_t blocks, int64_t sampleRate) {
    if (sampleRate < 1)
        return 0;
    return blocks * 1000 / sampleRate;
}

// The position a caller sees, counted from the start of the range. Before the
// first GetData or Seek the decoder stands at the start of its range, which is
// where its initialisation will put it.
int64_t RangePosition(const DecoderQueryContext& context) {
    if (!context.initialised)
        return 0;
    return int64_t(context.currentBlock) - context.range.start;
}

// The compressed bytes of `frame` that belong to the range, in proportion to
// the frame's blocks inside it; -1 when the stream cannot size the frame.
int64_t FrameShareBytes(CStreamInfo& info, const BlockRange& range, int64_t frame, int64_t blocksPerFrame) {
    int64_t frameBlocks = info.GetInfo(FrameBlocks, static_cast<intptr_t>(frame));
    int64_t frameBytes = info.GetInfo(FrameBytes, static_cast<intptr_t>(frame));
    if (frameBlocks < 0 || frameBytes == -1)
        return -1;
    if (frameBlocks == 0 || frameBytes < 0)
        return 0;
    int64_t frameStart = frame * blocksPerFrame;
    int64_t inside = std::min<int64_t>(range.finish, frameStart + frameBlocks) -
                     std::max<int64_t>(range.start, frameStart);
    if (inside <= 0)
        return 0;
    return frameBytes * inside / frameBlocks;
}

// Compressed bytes of the frames that the range touches. A frame the stream
// cannot size (no seek entry) adds nothing and ends the count, as no frame
// behind it has an entry either; this also keeps a header that claims
// billions of frames over a short table from stalling the query.
int64_t RangeCompressedBytes(CStreamInfo& info, const BlockRange& range) {
    int64_t blocksPerFrame = info.GetInfo(BlocksPerFrame);
    int64_t totalFrames = info.GetInfo(TotalFrames);
    if (blocksPerFrame < 1 || totalFrames < 1 || range.Length() < 1)
        return 0;
    int64_t first = range.start / blocksPerFrame;
    int64_t last = std::min<int64_t>((int64_t(range.finish) - 1) / blocksPerFrame, totalFrames - 1);
    int64_t bytes = 0;
    for (int64_t frame = first; frame <= last; ++frame) {
        int64_t share = FrameShareBytes(info, range, frame, blocksPerFrame);
        if (share < 0)
            break;
        bytes += share;
    }
    return bytes;
}

// Kilobits per second over the range: bytes × 8 per millisecond.
int64_t RangeAverageBitrate(CStreamInfo& info, const BlockRange& range) {
    int64_t lengthMs = BlocksToMs(range.Length(), info.GetInfo(SampleRate));
    if (lengthMs < 1)
        return 0;
    int64_t bytes = std::min(RangeCompressedBytes(info, range), kMaxInt64 / 8);
    return bytes * 8 / lengthMs;
}

// The canonical wave header of the range's audio alone.
int64_t RangeWaveHeader(const DecoderQueryContext& context, intptr_t destination, intptr_t size) {
    if (destination == 0 || size < kWaveHeaderBytes)
        return -1;
    WAVEFORMATEX format = {};
    if (context.format)
        format = *context.format;
    else
        context.info->GetInfo(WaveFormat, reinterpret_cast<intptr_t>(&format));
    // A wave file counts its sizes in 32 bits; keep the RIFF size (data + 36)
    // representable instead of letting it wrap.
    int64_t dataBytes = int64_t(context.blockAlign) * context.range.Length();
    dataBytes = std::clamp<int64_t>(dataBytes, 0, std::numeric_limits<int32_t>::max() - 36);
    FillWaveHeader(reinterpret_cast<uint8_t*>(destination), static_cast<int>(dataBytes), &format, 0);
    return 0;
}

// Answers of the stream information that change when only a range is offered;
// false for the queries that do not.
bool AnswerForRange(const DecoderQueryContext& context, int query, intptr_t param1, intptr_t param2,
                    int64_t* answer) {
    switch (query) {
    case WavHeaderBytes: *answer = kWaveHeaderBytes; return true;
    case WavHeaderData: *answer = RangeWaveHeader(context, param1, param2); return true;
    case WavTrailerBytes: *answer = 0; return true;
    case WavTrailerData: *answer = 0; return true;
    default: return false;
    }
}

// The decoder's own queries; false for every other query.
bool AnswerOwnQuery(const DecoderQueryContext& context, int query, int64_t* answer) {
    CStreamInfo& info = *context.info;
    const BlockRange& range = context.range;
    switch (query) {
    case DecoderCurrentBlock: *answer = RangePosition(context); return true;
    case DecoderCurrentMs: *answer = BlocksToMs(RangePosition(context), info.GetInfo(SampleRate)); return true;
    case DecoderTotalBlocks: *answer = range.Length(); return true;
    case DecoderRangeStart: *answer = range.start; return true;
    case DecoderLengthMs: *answer = BlocksToMs(range.Length(), info.GetInfo(SampleRate)); return true;
    case DecoderCurrentBitrate: *answer = info.GetInfo(FrameBitrate, context.currentFrame); return true;
    case DecoderAverageBitrate:
        *answer = range.isRange ? RangeAverageBitrate(info, range) : info.GetInfo(AverageBitrate);
        return true;
    default: return false;
    }
}

}  // namespace

BlockRange ClampBlockRange(CStreamInfo& info, int startBlock, int finishBlock) {
    int32_t total = static_cast<int32_t>(std::max<int64_t>(info.GetInfo(TotalBlocks), 0));
    BlockRange range;
    range.start = startBlock < 0 ? 0 : std::min(startBlock, total);
    range.finish = finishBlock < 0 ? total : std::min(finishBlock, total);
    // A finish before the start would give a negative length to every answer
    // and to the reader; such a range is empty.
    range.finish = std::max(range.finish, range.start);
    range.isRange = !(range.start == 0 && range.finish == total);
    return range;
}

int64_t AnswerDecoderQuery(const DecoderQueryContext& context, int query, intptr_t param1, intptr_t param2) {
    if (!context.info)
        return -1;
    int64_t answer = 0;
    if (AnswerOwnQuery(context, query, &answer))
        return answer;
    if (context.range.isRange && AnswerForRange(context, query, param1, param2, &answer))
        return answer;
    return context.info->GetInfo(query, param1, param2);
}

}  // namespace zem
