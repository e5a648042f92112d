// SPDX-License-Identifier: BSD-3-Clause
#include "tools/zemtool/parallel_decode.h"

#include "tools/zemtool/frame_segments.h"
#include "tools/zemtool/ordered_hand_off.h"
#include "tools/zemtool/tap_thread.h"
#include "tools/zemtool/tool_errors.h"

#include <algorithm>
#include <thread>

namespace zemtool {
namespace {

// Workers take frames in runs of at least this many blocks: a stream of tiny
// frames would otherwise cost a hand-off and a seek to a far place per frame.
constexpr int64_t kRunBlocks = 4096;
// Streams from this version on are decoded frame by frame on their own.
constexpr int64_t kFirstFrameDecoderVersion = 3930;
// Runs one thread decoding beside a tap may hold: enough for the tap to
// catch up with a burst of fast frames without holding the decoder up.
constexpr size_t kTapSlots = 4;

struct RangeShape {
    int64_t length = 0;
    int32_t blockAlign = 0;
    uint8_t fill = 0;
    SegmentPlan segments;
    size_t seekTableBytes = 0;
    size_t runLength = 1;  // segments a worker decodes one after another
    size_t runs = 0;
    // An older stream's decoder goes straight on from the frame it decoded
    // last and takes the seek table only after a jump: with a damaged table,
    // which worker had decoded the frame before would decide the output. Such
    // streams decode on one thread.
    bool older = false;

    size_t RunStart(size_t run) const { return run * runLength; }
    size_t RunEnd(size_t run) const { return std::min(segments.Count(), (run + 1) * runLength); }
};

RangeShape ShapeOf(zem_decoder* decoder) {
    RangeShape shape;
    zem_stream_facts facts = {};
    uint64_t rangeStart = 0;
    zem_get_facts(decoder, &facts);
    zem_get_range(decoder, &rangeStart, nullptr);
    const int64_t blocksPerFrame = std::max<int64_t>(1, facts.blocks_per_frame);
    shape.length = facts.range_blocks;
    shape.blockAlign = static_cast<int32_t>(facts.block_align);
    shape.fill = static_cast<uint8_t>(facts.fill_byte);
    shape.older = facts.version < kFirstFrameDecoderVersion;
    shape.seekTableBytes = size_t(std::max<int64_t>(0, facts.total_frames)) * 4;
    shape.segments = SegmentPlan(static_cast<int64_t>(rangeStart), shape.length, blocksPerFrame);
    shape.runLength = static_cast<size_t>(std::max<int64_t>(1, kRunBlocks / blocksPerFrame));
    shape.runs = (shape.segments.Count() + shape.runLength - 1) / shape.runLength;
    return shape;
}

PoolSize SizePoolFor(int threads, const RangeShape& shape) {
    const size_t runBytes = std::min(shape.segments.LargestBytes(shape.blockAlign) * shape.runLength,
                                     size_t(std::max<int64_t>(shape.length, 0)) * size_t(std::max(shape.blockAlign, 1)));
    return SizePool(threads, shape.runs, runBytes, shape.seekTableBytes);
}

// Opens `count` more decoders on the job's input.
bool OpenDecoders(const DecodeJob& job, size_t count, std::vector<OpenedDecoder>& decoders, DecodeOutcome& outcome) {
    for (size_t i = 0; i < count; ++i) {
        int error = 0;
        OpenedDecoder opened = job.open(&error);
        if (!opened.decoder) {
            outcome.error = error ? error : CODEC_BAD_INPUT;
            outcome.reason = "the stream cannot be opened";
            return false;
        }
        decoders.push_back(std::move(opened));
    }
    return true;
}

// Hands one decoded segment on; false when the job must stop there.
bool Deliver(const DecodeJob& job, const RangeShape& shape, const Segment& segment, const SegmentResult& result,
             DecodeOutcome& outcome) {
    if (result.error) {
        outcome.error = result.error;
        outcome.reason = "frame " + std::to_string(segment.frame) + " cannot be read";
        return false;
    }
    if (result.failed)
        outcome.badFrames.push_back(segment.frame);
    if (job.sink && !job.sink(result.bytes.data(), result.bytes.size())) {
        outcome.error = CODEC_WRITE_FAILED;
        outcome.reason = "the output cannot be written";
        return false;
    }
    outcome.blocks += segment.blocks;
    if (job.progress)
        job.progress(outcome.blocks, shape.length);
    return true;
}

void DecodeOnCallingThread(const DecodeJob& job, zem_decoder* decoder, const RangeShape& shape,
                           DecodeOutcome& outcome) {
    SegmentResult result;
    for (size_t item = 0; item < shape.segments.Count(); ++item) {
        const Segment segment = shape.segments.At(item);
        DecodeSegment(decoder, segment, shape.blockAlign, shape.fill, result);
        if (!Deliver(job, shape, segment, result, outcome))
            return;
    }
}

// Hands run `item`'s segments, held in `results`, to the job's tap.
void TapRun(const DecodeJob& job, const RangeShape& shape, const std::vector<SegmentResult>& results, size_t item) {
    for (size_t i = 0; i < shape.RunEnd(item) - shape.RunStart(item); ++i)
        job.tap(results[i].bytes.data(), results[i].bytes.size());
}

// Decodes and writes a run at a time on the calling thread, while the tap
// reads the runs written before on its own.
void DecodeBesideTap(const DecodeJob& job, zem_decoder* decoder, const RangeShape& shape, DecodeOutcome& outcome) {
    OrderedHandOff handOff(shape.runs, kTapSlots);
    std::vector<std::vector<SegmentResult>> slots(kTapSlots);
    TapThread tap(handOff, [&](size_t item) { TapRun(job, shape, slots[handOff.SlotOf(item)], item); });
    size_t item = 0;
    while (handOff.Claim(&item)) {
        std::vector<SegmentResult>& results = slots[handOff.SlotOf(item)];
        const size_t first = shape.RunStart(item);
        results.resize(shape.RunEnd(item) - first);
        for (size_t i = first; i < shape.RunEnd(item); ++i) {
            DecodeSegment(decoder, shape.segments.At(i), shape.blockAlign, shape.fill, results[i - first]);
            if (!Deliver(job, shape, shape.segments.At(i), results[i - first], outcome)) {
                handOff.Stop();
                return;
            }
        }
        tap.Pass(item);
    }
}

// Long-lived decoding threads around one hand-off; leaving the scope stops
// them (at the end of the frame each is decoding) and waits for them.
class WorkerThreads {
public:
    WorkerThreads(std::vector<OpenedDecoder>& decoders, const RangeShape& shape, size_t slots)
        : m_shape(shape), m_handOff(shape.runs, slots), m_results(slots) {
        try {
            for (OpenedDecoder& opened : decoders)
                m_threads.emplace_back([this, &opened] { Work(opened.decoder.get()); });
        } catch (...) {
            StopAndJoin();
            throw;
        }
    }
    ~WorkerThreads() { StopAndJoin(); }

    OrderedHandOff& HandOff() { return m_handOff; }
    // The results of run `item`'s segments, in order.
    const std::vector<SegmentResult>& ResultsOf(size_t item) const { return m_results[m_handOff.SlotOf(item)]; }

private:
    void StopAndJoin() {
        m_handOff.Stop();
        for (std::thread& thread : m_threads)
            thread.join();
    }

    void Work(zem_decoder* decoder) {
        size_t item = 0;
        while (m_handOff.Claim(&item)) {
            std::vector<SegmentResult>& results = m_results[m_handOff.SlotOf(item)];
            const size_t first = m_shape.RunStart(item), end = m_shape.RunEnd(item);
            results.resize(end - first);
            // The writer stops at a segment that cannot be read: nothing after it is needed.
            for (size_t i = first; i < end; ++i) {
                DecodeSegment(decoder, m_shape.segments.At(i), m_shape.blockAlign, m_shape.fill, results[i - first]);
                if (results[i - first].error)
                    break;
            }
            m_handOff.Finish(item);
        }
    }

    const RangeShape& m_shape;
    OrderedHandOff m_handOff;
    std::vector<std::vector<SegmentResult>> m_results;
    std::vector<std::thread> m_threads;
};

// The workers decode ahead; this thread writes each segment as soon as it
// and all before it are done, and mostly sleeps.
void DecodeOnWorkers(const DecodeJob& job, std::vector<OpenedDecoder>& decoders, const RangeShape& shape,
                     size_t slots, DecodeOutcome& outcome) {
    WorkerThreads workers(decoders, shape, slots);
    OrderedHandOff& handOff = workers.HandOff();
    // Declared after the workers: it ends, having read what it was passed,
    // before their slots go away.
    std::unique_ptr<TapThread> tap;
    if (job.tap)
        tap = std::make_unique<TapThread>(handOff, [&](size_t item) { TapRun(job, shape, workers.ResultsOf(item), item); });
    for (size_t item = 0; item < shape.runs; ++item) {
        handOff.WaitFinished(item);
        const std::vector<SegmentResult>& results = workers.ResultsOf(item);
        bool goOn = true;
        for (size_t i = shape.RunStart(item); goOn && i < shape.RunEnd(item); ++i)
            goOn = Deliver(job, shape, shape.segments.At(i), results[i - shape.RunStart(item)], outcome);
        if (!goOn) {
            handOff.Stop();
            return;
        }
        if (tap)
            tap->Pass(item);
        else
            handOff.Release(item);
    }
}

}  // namespace

DecodeOutcome DecodeRange(const DecodeJob& job) {
    DecodeOutcome outcome;
    std::vector<OpenedDecoder> decoders;
    if (!OpenDecoders(job, 1, decoders, outcome))
        return outcome;
    const RangeShape shape = ShapeOf(decoders[0].decoder.get());
    const PoolSize pool = SizePoolFor(shape.older ? 1 : job.threads, shape);
    if (pool.workers == 1) {
        if (job.tap)
            DecodeBesideTap(job, decoders[0].decoder.get(), shape, outcome);
        else
            DecodeOnCallingThread(job, decoders[0].decoder.get(), shape, outcome);
        return outcome;
    }
    if (OpenDecoders(job, pool.workers - 1, decoders, outcome))
        DecodeOnWorkers(job, decoders, shape, pool.slots, outcome);
    return outcome;
}

}  // namespace zemtool
