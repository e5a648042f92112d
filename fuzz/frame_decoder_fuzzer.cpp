// SPDX-License-Identifier: BSD-3-Clause
// Decodes arbitrary bytes as a stream: every block the range offers, then a
// seek into the middle, then frame after frame, each after a seek. Damaged frames must come out as fill of the right
// length (current streams) or end decoding after the good blocks (older
// streams), never as a crash, a hang or a read outside a buffer.
#include "container/codec_error.h"
#include "container/info_id.h"
#include "decode/decoder.h"
#include "decode/decoder_factory.h"
#include "fuzz/fuzz_input.h"
#include "io/memory_stream.h"

#include <algorithm>
#include <memory>
#include <vector>

using namespace zem;

namespace {

// Decoding is linear in the blocks a header claims; past these limits an
// input only costs time without reaching anything new.
constexpr int64_t kMaxBlocks = 1 << 17;
constexpr int64_t kMaxFrameBytes = 1 << 22;

bool Acceptable(int result) {
    return result == CODEC_OK || result == CODEC_BAD_CHECKSUM || result == CODEC_FAILED ||
           result == CODEC_BAD_INPUT || result == CODEC_NO_MEMORY || result == CODEC_READ_FAILED;
}

// An older stream's decoder stops at a failed frame (CODEC_FAILED) after
// handing out the blocks before it; a current one fills and goes on.
void DecodeAll(CDecoder& decoder, int64_t blocks, int32_t blockAlign, bool older) {
    const int kChunk = 1009;
    std::vector<uint8_t> out(size_t(kChunk) * size_t(blockAlign));
    int64_t delivered = 0;
    bool started = false;
    while (delivered < blocks) {
        int got = -1;
        int result = decoder.GetData(out.data(), kChunk, &got);
        FUZZ_REQUIRE(Acceptable(result));
        FUZZ_REQUIRE(got >= 0 && got <= kChunk);
        if (older && result == CODEC_FAILED) {
            FUZZ_REQUIRE(delivered + got <= blocks);
            return;
        }
        if (result != CODEC_OK && result != CODEC_BAD_CHECKSUM) {
            FUZZ_REQUIRE(got == 0 && !started);
            return;
        }
        // Once decoding runs, every block of the range comes out, as audio or as fill.
        FUZZ_REQUIRE(got == std::min<int64_t>(kChunk, blocks - delivered));
        started = true;
        delivered += got;
    }
}

// Frame after frame, each after a seek to its first block, as a caller that
// splits a stream into frames does: every frame's blocks come out (current
// streams, as audio or fill), or the frame fails as a whole (older streams).
void DecodeFrameByFrame(CDecoder& decoder, int64_t blocks, int64_t blocksPerFrame, int32_t blockAlign, bool older) {
    const int64_t kMaxFrames = 64;
    if (blocksPerFrame < 1)
        return;
    std::vector<uint8_t> out;
    for (int64_t start = 0, frames = 0; start < blocks && frames < kMaxFrames; start += blocksPerFrame, ++frames) {
        const int want = static_cast<int>(std::min(blocksPerFrame, blocks - start));
        out.resize(size_t(want) * size_t(blockAlign));
        const int seek = decoder.Seek(static_cast<int>(start));
        FUZZ_REQUIRE(Acceptable(seek));
        if (seek != CODEC_OK)
            continue;
        int got = -1;
        const int result = decoder.GetData(out.data(), want, &got);
        FUZZ_REQUIRE(Acceptable(result));
        if (older && result == CODEC_FAILED)
            FUZZ_REQUIRE(got >= 0 && got <= want);
        else if (result == CODEC_OK || result == CODEC_BAD_CHECKSUM)
            FUZZ_REQUIRE(got == want);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > fuzzing::kMaxInputBytes)
        return 0;
    CMemoryStream io(fuzzing::CopyInput(data, size));
    int error = 0;
    std::unique_ptr<CDecoder> decoder = OpenDecoderFromIo(&io, &error);
    if (!decoder)
        return 0;
    int64_t total = decoder->GetInfo(DecoderTotalBlocks);
    int64_t blockAlign = decoder->GetInfo(BlockAlign);
    int64_t frameBytes = decoder->GetInfo(BlocksPerFrame) * blockAlign;
    if (total > kMaxBlocks || blockAlign < 1 || blockAlign > 64 || frameBytes > kMaxFrameBytes)
        return 0;
    const bool older = decoder->GetInfo(Version) < 3930;
    DecodeAll(*decoder, total, static_cast<int32_t>(blockAlign), older);
    int seek = decoder->Seek(static_cast<int>(total / 2));
    FUZZ_REQUIRE(Acceptable(seek));
    if (seek == CODEC_OK)
        DecodeAll(*decoder, total - total / 2, static_cast<int32_t>(blockAlign), older);
    DecodeFrameByFrame(*decoder, total, decoder->GetInfo(BlocksPerFrame), static_cast<int32_t>(blockAlign), older);
    return 0;
}
