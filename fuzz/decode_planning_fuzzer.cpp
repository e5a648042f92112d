// SPDX-License-Identifier: BSD-3-Clause
// zemtool's decoding of a whole stream from arbitrary bytes, as `decode` and
// `verify` run it: the header's refusal and its reason, the wave header and
// trailer, the plan of segments and their decoding on one and on two
// threads, and the digest. The plan must cover the range exactly, frame by
// frame; a job that reports no error must have handed out every block; and
// the thread count must change nothing.
#include "fuzz/fuzz_input.h"
#include "tools/zemtool/frame_segments.h"
#include "tools/zemtool/library_errors.h"
#include "tools/zemtool/parallel_decode.h"
#include "tools/zemtool/stream_check.h"
#include "tools/zemtool/tool_errors.h"

#include <zem/zem.h>

#include <memory>
#include <vector>

using namespace zem;

namespace {

using namespace zemtool;

// Decoding is linear in the blocks a header claims (silent frames cost a few
// bytes each); past this an input only costs time.
constexpr int64_t kMaxAudioBytes = 1 << 20;

void CheckPlan(int64_t length, int64_t blocksPerFrame) {
    const SegmentPlan plan(0, length, blocksPerFrame);
    int64_t at = 0;
    for (size_t i = 0; i < plan.Count(); ++i) {
        const Segment segment = plan.At(i);
        FUZZ_REQUIRE(segment.first == at && segment.blocks > 0);
        FUZZ_REQUIRE(segment.frame == at / blocksPerFrame);
        FUZZ_REQUIRE((segment.first + segment.blocks - 1) / blocksPerFrame == segment.frame);
        at += segment.blocks;
    }
    FUZZ_REQUIRE(at == length);
}

struct Run {
    DecodeOutcome outcome;
    std::vector<uint8_t> bytes;
};

Run Decode(const DecoderOpener& open, int threads, DigestCheck* digest) {
    Run run;
    DecodeJob job;
    job.open = open;
    job.threads = threads;
    job.sink = [&run, digest](const uint8_t* bytes, size_t count) {
        run.bytes.insert(run.bytes.end(), bytes, bytes + count);
        if (digest)
            digest->Add(bytes, count);
        return true;
    };
    run.outcome = DecodeRange(job);
    return run;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > fuzzing::kMaxInputBytes || size == 0)
        return 0;
    auto bytes = std::make_shared<const std::vector<uint8_t>>(fuzzing::CopyInput(data, size));
    DecoderOpener open = [bytes](int* error) {
        OpenedDecoder opened;
        opened.source = bytes;
        int zemError = ZEM_OK;
        opened.decoder.reset(zem_open_memory(bytes->data(), bytes->size(), &zemError));
        *error = OpenErrorOf(zemError);
        return opened;
    };
    int error = 0;
    OpenedDecoder probe = open(&error);
    if (!probe.decoder) {
        FUZZ_REQUIRE(error == CODEC_BAD_INPUT || error == CODEC_FAILED);
        // A refused header says why.
        FUZZ_REQUIRE(error != CODEC_BAD_INPUT || !HeaderProblemOfBytes(*bytes).empty());
        return 0;
    }
    zem_stream_facts facts = {};
    FUZZ_REQUIRE(zem_get_facts(probe.decoder.get(), &facts) == ZEM_OK);
    const int64_t length = facts.range_blocks;
    const int64_t blockAlign = facts.block_align;
    const int64_t blocksPerFrame = facts.blocks_per_frame;
    // What the header reader lets through is a shape a wave file can have.
    FUZZ_REQUIRE(blockAlign >= 1 && blockAlign <= 0xFFFF && blocksPerFrame >= 1);
    FUZZ_REQUIRE(length >= 0 && length * blockAlign <= 0xFFFFFFFFll);
    FUZZ_REQUIRE(facts.total_frames <= int64_t(size));
    FUZZ_REQUIRE(facts.fill_byte == 0 ||
                 (facts.bits_per_sample == 8 && (facts.fill_byte == 127 || facts.fill_byte == 128)));
    if (length * blockAlign > kMaxAudioBytes)
        return 0;
    CheckPlan(length, blocksPerFrame);

    WaveEnds ends;
    std::string reason;
    const bool endsRead = ReadWaveEnds(probe.decoder.get(), &ends, &reason);
    FUZZ_REQUIRE(endsRead || !reason.empty());
    DigestCheck digest(probe.decoder.get());
    const Run one = Decode(open, 1, &digest);
    digest.Matches();
    if (!one.outcome.error) {
        FUZZ_REQUIRE(one.outcome.blocks == length);
        FUZZ_REQUIRE(int64_t(one.bytes.size()) == length * blockAlign);
    }
    const Run two = Decode(open, 2, nullptr);
    FUZZ_REQUIRE(two.outcome.error == one.outcome.error && two.outcome.badFrames == one.outcome.badFrames);
    FUZZ_REQUIRE(two.bytes == one.bytes);
    return 0;
}
