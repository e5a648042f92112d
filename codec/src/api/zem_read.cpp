// SPDX-License-Identifier: BSD-3-Clause
// Reading PCM frame by frame, so that a frame that fails is reported by the
// call that meets it and reading goes on with the next frame.
#include "api/decoder_handle.h"
#include "api/sequential_source.h"

#include "container/codec_error.h"
#include "container/info_id.h"
#include "container/stream_extent.h"

#include <algorithm>
#include <climits>
#include <cstring>

using namespace zem;

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
long ResultOf(int codecError) {
    switch (codecError) {
    case CODEC_FAILED:
    case CODEC_BAD_CHECKSUM:
        return ZEM_ERROR_BAD_FRAME;
    case CODEC_BAD_INPUT:  // channels, sample size or frame layout the decoder does not take
        return ZEM_ERROR_UNSUPPORTED;
    case CODEC_OK:  // fewer blocks than the frame holds
        return ZEM_ERROR_READ_FAILED;
    default:
        return zem::api::FromCodecError(codecError);
    }
}

const StreamExtent* ExtentOf(const zem_decoder& d) {
    return reinterpret_cast<const StreamExtent*>(static_cast<intptr_t>(d.decoder->GetInfo(StreamExtentRecord)));
}

std::string DetailOf(const zem_decoder& d, long result, uint64_t position) {
    const std::string frame = "frame " + std::to_string(HasFrames(d) ? FrameIndex(d, position) : 0);
    switch (result) {
    case ZEM_ERROR_TRUNCATED:
        if (const StreamExtent* extent = ExtentOf(d))
            return DescribeStreamCut(*extent);
        return "the file ends before " + frame;
    case ZEM_ERROR_BAD_FRAME:
        return frame + " failed its check";
    case ZEM_ERROR_UNSUPPORTED:
        return frame + " has a layout this library does not decode";
    default:
        return frame + ": " + zem_error_text(static_cast<int>(result));
    }
}

// A source without seek that ended before the bytes of the frame at
// `position` did: the stream is cut there, as a file cut short is. The
// detail says where.
bool CutShort(const zem_decoder& d, uint64_t position, std::string* detail) {
    const int64_t end = d.sequential ? d.sequential->SourceEnd() : -1;
    if (end < 0 || !HasFrames(d))
        return false;
    const uint64_t frame = FrameIndex(d, position);
    const int64_t frameEnd = frame + 1 < static_cast<uint64_t>(d.totalFrames)
                                 ? d.decoder->GetInfo(SeekByte, static_cast<intptr_t>(frame + 1))
                                 : int64_t(d.source->GetSize()) - d.decoder->GetInfo(WavTrailerBytes);
    if (end >= frameEnd)
        return false;
    *detail = "the stream ends at byte " + std::to_string(end) + "; frame " + std::to_string(frame) +
              " needs " + std::to_string(frameEnd);
    return true;
}

// A cut file ends the stream at the cut: the frames behind it are missing too.
long Fail(zem_decoder& d, int codecError, uint64_t frameEnd) {
    long result = ResultOf(codecError);
    d.md5Check.reset();  // the frame's failure is the report
    std::string cut;
    if (CutShort(d, d.position, &cut)) {
        result = ZEM_ERROR_TRUNCATED;
        d.errorDetail = cut;
    } else {
        d.errorDetail = DetailOf(d, result, d.position);
    }
    d.position = result == ZEM_ERROR_TRUNCATED ? d.info.total_blocks : frameEnd;
    d.reposition = true;
    return result;
}

// The end of a stream read with the MD5 check: its verdict, once.
long FinishCheck(zem_decoder& d) {
    std::unique_ptr<zem::api::Md5Check> check = std::move(d.md5Check);
    if (!check)
        return 0;
    if (check->trailerAtEnd) {
        const long size = zem_get_wav_trailer(&d, nullptr, 0);
        check->trailer.resize(size > 0 ? static_cast<size_t>(size) : 0);
        if (size < 0 || (size > 0 && zem_get_wav_trailer(&d, check->trailer.data(), check->trailer.size()) != size)) {
            d.errorDetail = "the WAV trailer behind the frames cannot be read";
            return ZEM_ERROR_READ_FAILED;
        }
    }
    check->md5.Update(check->trailer.data(), check->trailer.size());
    uint8_t digest[16];
    check->md5.Finish(digest);
    if (std::memcmp(digest, check->stored, sizeof digest) == 0)
        return 0;
    d.errorDetail = "the decoded WAV file does not match the MD5 digest the stream stores";
    return ZEM_ERROR_BAD_MD5;
}

long Read(zem_decoder& d, void* pcm, long maxBlocks) {
    if (d.position >= d.info.total_blocks)
        return FinishCheck(d);
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
    if (d.md5Check)
        d.md5Check->md5.Update(pcm, static_cast<size_t>(got) * d.info.block_align);
    return got;
}

}  // namespace

extern "C" long zem_read(zem_decoder* d, void* pcm, long max_blocks) {
    if (!d || !pcm || max_blocks <= 0)
        return ZEM_ERROR_INVALID_ARGUMENT;
    return zem::api::Guarded([&] { return Read(*d, pcm, max_blocks); });
}

extern "C" int zem_seek(zem_decoder* d, uint64_t block) {
    if (!d)
        return ZEM_ERROR_INVALID_ARGUMENT;
    if (block > d->info.total_blocks) {
        try {
            d->errorDetail = "block " + std::to_string(block) + " lies beyond the end (" +
                             std::to_string(d->info.total_blocks) + " blocks)";
        } catch (...) {
            d->errorDetail.clear();
        }
        return ZEM_ERROR_INVALID_ARGUMENT;
    }
    if (!d->canSeek)
        return ZEM_ERROR_UNSUPPORTED;
    d->md5Check.reset();
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

extern "C" long zem_get_error_detail(const zem_decoder* d, char* buffer, size_t size) {
    if (!d || (!buffer && size > 0))
        return ZEM_ERROR_INVALID_ARGUMENT;
    zem::api::CopyDetail(d->errorDetail, buffer, size);
    return static_cast<long>(std::min<size_t>(d->errorDetail.size(), LONG_MAX));
}
