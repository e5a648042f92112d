#include "tools/zemtool/parallel_decode.h"

#include "tessarine/codec/codec_error.h"
#include "tessarine/codec/info_id.h"

#include <algorithm>
#include <thread>

namespace zemtool {
namespace {

// The part of one frame inside the range, in blocks counted from the range's start.
struct Segment {
    int32_t frame;
    int64_t first;
    int32_t blocks;
};

std::vector<Segment> PlanSegments(int64_t rangeStart, int64_t length, int64_t blocksPerFrame) {
    std::vector<Segment> segments;
    int64_t finish = rangeStart + length;
    for (int64_t at = rangeStart; at < finish;) {
        int64_t frame = at / blocksPerFrame;
        int64_t end = std::min(finish, (frame + 1) * blocksPerFrame);
        segments.push_back({static_cast<int32_t>(frame), at - rangeStart, static_cast<int32_t>(end - at)});
        at = end;
    }
    return segments;
}

struct SegmentResult {
    std::vector<uint8_t> bytes;
    int error = 0;
    bool failed = false;
};

// How a stream's decoder reports a frame that fails its check. A current
// stream's decoder hands the frame out as fill and says CODEC_BAD_CHECKSUM;
// an older stream's decoder stops at the frame with CODEC_FAILED, so the tool
// writes the frame's blocks as silence itself and goes on with the next one.
struct FailureStyle {
    bool legacy = false;
    uint8_t silence = 0;  // the byte of a silent sample (8-bit samples from 3831 are unsigned)
};

FailureStyle FailureStyleOf(CDecoder& decoder) {
    FailureStyle style;
    const int64_t version = decoder.GetInfo(Version);
    style.legacy = version < 3930;
    style.silence = decoder.GetInfo(BitsPerSample) == 8 && version >= 3831 ? 128 : 0;
    return style;
}

void DecodeSegment(CDecoder& decoder, const Segment& segment, int32_t blockAlign, const FailureStyle& style,
                   SegmentResult& result) {
    result = SegmentResult();
    result.bytes.resize(size_t(segment.blocks) * size_t(blockAlign));
    int seek = decoder.Seek(static_cast<int>(segment.first));
    int got = 0;
    int code = seek;
    if (seek == CODEC_OK || seek == CODEC_BAD_CHECKSUM)
        code = decoder.GetData(result.bytes.data(), segment.blocks, &got);
    if (style.legacy && code == CODEC_FAILED) {
        std::fill(result.bytes.begin(), result.bytes.end(), style.silence);
        result.failed = true;
        return;
    }
    if (seek != CODEC_OK && seek != CODEC_BAD_CHECKSUM) {
        result.error = seek;
        return;
    }
    result.failed = code == CODEC_BAD_CHECKSUM;
    if ((code != CODEC_OK && code != CODEC_BAD_CHECKSUM) || got != segment.blocks)
        result.error = code != CODEC_OK && code != CODEC_BAD_CHECKSUM ? code : CODEC_READ_FAILED;
}

// Opens one decoder per worker; the first also tells the range's shape.
bool OpenWorkers(const DecodeJob& job, size_t count, std::vector<OpenedDecoder>& workers, DecodeOutcome& outcome) {
    for (size_t i = 0; i < count; ++i) {
        int error = 0;
        OpenedDecoder opened = job.open(&error);
        if (!opened.decoder) {
            outcome.error = error ? error : CODEC_BAD_INPUT;
            outcome.reason = "the stream cannot be opened";
            return false;
        }
        workers.push_back(std::move(opened));
    }
    return true;
}

}  // namespace

DecodeOutcome DecodeRange(const DecodeJob& job) {
    DecodeOutcome outcome;
    std::vector<OpenedDecoder> workers;
    if (!OpenWorkers(job, 1, workers, outcome))
        return outcome;
    CDecoder& probe = *workers[0].decoder;
    int64_t blocksPerFrame = std::max<int64_t>(1, probe.GetInfo(BlocksPerFrame));
    int64_t length = probe.GetInfo(DecoderTotalBlocks);
    int32_t blockAlign = static_cast<int32_t>(probe.GetInfo(BlockAlign));
    const FailureStyle style = FailureStyleOf(probe);
    std::vector<Segment> segments = PlanSegments(job.rangeStart, length, blocksPerFrame);
    size_t threads = std::clamp<size_t>(size_t(std::max(job.threads, 1)), 1, std::max<size_t>(segments.size(), 1));
    if (!OpenWorkers(job, threads - 1, workers, outcome))
        return outcome;
    std::vector<SegmentResult> results(threads);
    for (size_t batch = 0; batch < segments.size(); batch += threads) {
        size_t count = std::min(threads, segments.size() - batch);
        auto work = [&](size_t w) { DecodeSegment(*workers[w].decoder, segments[batch + w], blockAlign, style, results[w]); };
        std::vector<std::thread> running;
        for (size_t w = 1; w < count; ++w)
            running.emplace_back(work, w);
        work(0);
        for (std::thread& t : running)
            t.join();
        for (size_t w = 0; w < count; ++w) {
            const Segment& segment = segments[batch + w];
            if (results[w].error) {
                outcome.error = results[w].error;
                outcome.reason = "frame " + std::to_string(segment.frame) + " cannot be read";
                return outcome;
            }
            if (results[w].failed)
                outcome.badFrames.push_back(segment.frame);
            if (job.sink && !job.sink(results[w].bytes.data(), results[w].bytes.size())) {
                outcome.error = CODEC_WRITE_FAILED;
                outcome.reason = "the output cannot be written";
                return outcome;
            }
            outcome.blocks += segment.blocks;
        }
        if (job.progress)
            job.progress(outcome.blocks, length);
    }
    return outcome;
}

}  // namespace zemtool
