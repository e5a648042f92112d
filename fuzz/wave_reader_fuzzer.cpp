// SPDX-License-Identifier: BSD-3-Clause
// The encoder on arbitrary bytes as its wave file: what it refuses it refuses
// with a reason, and what it takes comes back from the decoder byte for byte,
// in a stream sized by what the input holds, whatever its header claims.
#include "container/codec_error.h"
#include "encode/encoder.h"
#include "fuzz/fuzz_input.h"
#include "io/memory_stream.h"
#include "tests/support/wave_fixture.h"

#include <string>

using namespace zem;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > fuzzing::kMaxInputBytes)
        return 0;
    CMemoryStream in(fuzzing::CopyInput(data, size), true);
    CMemoryStream out;
    // Settings vary with the input, down to one block per frame.
    EncodeSettings settings;
    settings.level = 1000 * static_cast<int32_t>(1 + size % 5);
    const int32_t frames[] = {1, 7, 4096, EncodeSettings::kDefaultBlocksPerFrame};
    settings.blocksPerFrame = frames[(size / 5) % 4];
    std::string reason;
    const int result = EncodeStream(in, out, settings, nullptr, &reason);
    FUZZ_REQUIRE(result == CODEC_OK || result == CODEC_BAD_INPUT);
    if (result != CODEC_OK) {
        FUZZ_REQUIRE(!reason.empty());
        return 0;
    }
    // A seek table entry and a few bytes of frame per block at most.
    const size_t stream = out.Bytes().size();
    FUZZ_REQUIRE(stream <= 128 + 16 * size);
    int decoded = -7;
    const testing_support::Bytes back = testing_support::DecodeToWave(out.Bytes(), &decoded);
    FUZZ_REQUIRE(decoded == CODEC_OK);
    FUZZ_REQUIRE(back == in.Bytes());
    return 0;
}
