// SPDX-License-Identifier: BSD-3-Clause
// Decoding a decoder's whole range frame by frame on several threads. Frames
// are independent once the seek table is read, so each long-lived worker has
// a decoder of its own and takes the next frame as soon as it is free; the
// calling thread hands the bytes on in order as they become ready, so the
// output is the same for any number of threads. One thread decodes on the
// calling thread alone, with a second one beside it when the job has a tap.
#pragma once

#include <zem/zem.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace zemtool {

struct DecoderCloser {
    void operator()(zem_decoder* decoder) const { zem_close(decoder); }
};
using DecoderHandle = std::unique_ptr<zem_decoder, DecoderCloser>;

// A decoder with the bytes it reads when it does not own them (standard
// input's, shared by every worker); declared first, they outlive it.
struct OpenedDecoder {
    std::shared_ptr<const void> source;
    DecoderHandle decoder;
};

// Opens one more decoder on the same input; sets `error` (a code of
// tool_errors.h) and returns an empty decoder when that fails.
using DecoderOpener = std::function<OpenedDecoder(int* error)>;

struct DecodeJob {
    DecoderOpener open;
    int threads = 1;
    // Receives the decoded bytes in order; false stops the job (write failure).
    std::function<bool(const uint8_t* bytes, size_t count)> sink;
    // Sees the bytes the sink took, in the same order, on a thread of its own
    // (the digest check), so that its cost hides behind decoding and writing.
    // It has read them all when DecodeRange returns; after a failure it may
    // miss the last ones.
    std::function<void(const uint8_t* bytes, size_t count)> tap;
    std::function<void(int64_t done, int64_t total)> progress;
};

struct DecodeOutcome {
    int error = 0;  // code (tool_errors.h) of a failure that stopped the job
    std::string reason;
    std::vector<int32_t> badFrames;  // frames that failed their check, in order
    int64_t blocks = 0;            // blocks handed to the sink
};

DecodeOutcome DecodeRange(const DecodeJob& job);

}  // namespace zemtool
