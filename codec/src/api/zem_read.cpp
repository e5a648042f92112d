// Reading PCM frame by frame, so that a frame that fails is reported by the
// call that meets it and reading goes on with the next frame.
#include "api/decoder_handle.h"

#include "container/codec_error.h"

#include <algorithm>
#include <climits>

namespace {

// The stream frame that holds `position` (counted from the range's start).
// Blocks past the last frame's start belong to it, however long it is.
uint64_t FrameIndex(const zem_decoder& d, uint64_t position) {
    const uint64_t perFrame = static_cast<uint64_t>(d.blocksPerFrame);
    const uint64_t lastFrame = static_cast<uint64_t>(d.totalFrames) - 1;
    return std::min((d.rangeStart + position) / perFrame, lastFrame);
}

bool HasFrames(const zem_decoder& d) { return d.blocksPerFrame > 0 && d.totalFrames > 0; }

// The end of the frame that holds `position`, counted from the range's start.
uint64_t FrameEnd(const zem_decoder& d, uint64_t position) {
    const uint64_t length = d.info.total_blocks;
    if (!HasFrames(d))
        return length;
    const uint64_t frame = FrameIndex(d, position);
    if (frame == static_cast<uint64_t>(d.totalFrames) - 1)
        return length;
    return std::min((frame + 1) * static_cast<uint64_t>(d.blocksPerFrame) - d.rangeStart, length);
}

// Where that frame starts, counted from the range's start (0 when it began before the range).
uint64_t FrameFirst(const zem_decoder& d, uint64_t position) {
    if (!HasFrames(d))
        return 0;
    const uint64_t start = FrameIndex(d, position) * static_cast<uint64_t>(d.blocksPerFrame);
    return start > d.rangeStart ? start - d.rangeStart : 0;
}

// A failed frame (a current stream's decoder reports its check, an older
// stream's decoder stops at it with -1) or any other failure: the rest of the
// frame is skipped and the decoder seeks to the next one before it reads again.
long Fail(zem_decoder& d, int codecError, uint64_t frameEnd) {
    d.position = frameEnd;
    d.reposition = true;
    switch (codecError) {
    case CODEC_FAILED:
    case CODEC_BAD_CHECKSUM:
        return ZEM_ERROR_BAD_FRAME;
    case CODEC_BAD_INPUT:  // channels, sample size or frame layout the decoder does not take
        return ZEM_ERROR_UNSUPPORTED;
    case CODEC_OK:  // fewer blocks than the frame holds
        return ZEM_ERROR_READ_FAILED;
    default:
        return zem_api::FromCodecError(codecError);
    }
}

long Read(zem_decoder& d, void* pcm, long maxBlocks) {
    if (d.position >= d.info.total_blocks)
        return 0;
    const uint64_t frameEnd = FrameEnd(d, d.position);
    const uint64_t wanted = std::min<uint64_t>({static_cast<uint64_t>(maxBlocks), frameEnd - d.position,
                                                static_cast<uint64_t>(INT_MAX)});
    if (d.reposition) {
        int seek = d.decoder->Seek(static_cast<int>(d.position));
        if (seek != CODEC_OK && seek != CODEC_BAD_CHECKSUM)
            return Fail(d, seek, frameEnd);
        d.reposition = false;
    }
    int got = 0;
    int code = d.decoder->GetData(pcm, static_cast<int>(wanted), &got);
    if (code != CODEC_OK || got <= 0)
        return Fail(d, code, frameEnd);
    d.position += static_cast<uint64_t>(got);
    return got;
}

}  // namespace

extern "C" long zem_read(zem_decoder* d, void* pcm, long max_blocks) {
    if (!d || !pcm || max_blocks <= 0)
        return ZEM_ERROR_INVALID_ARGUMENT;
    return zem_api::Guarded([&] { return Read(*d, pcm, max_blocks); });
}

extern "C" int zem_seek(zem_decoder* d, uint64_t block) {
    if (!d || block > d->info.total_blocks)
        return ZEM_ERROR_INVALID_ARGUMENT;
    if (!d->canSeek)
        return ZEM_ERROR_UNSUPPORTED;
    d->position = block;
    d->reposition = true;
    return ZEM_OK;
}

extern "C" int64_t zem_tell(const zem_decoder* d) {
    if (!d)
        return ZEM_ERROR_INVALID_ARGUMENT;
    return static_cast<int64_t>(d->position);
}

extern "C" int zem_get_frame(const zem_decoder* d, uint64_t block, uint64_t* first, uint64_t* end) {
    if (!d || block >= d->info.total_blocks)
        return ZEM_ERROR_INVALID_ARGUMENT;
    if (first)
        *first = FrameFirst(*d, block);
    if (end)
        *end = FrameEnd(*d, block);
    return ZEM_OK;
}
