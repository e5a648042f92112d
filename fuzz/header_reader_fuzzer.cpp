// SPDX-License-Identifier: BSD-3-Clause
// Parses a stream header from arbitrary bytes and asks every query of the
// stream information and of decoders built on it, whole and for ranges.
#include "container/info_id.h"
#include "container/stream_info.h"
#include "container/wave_format.h"
#include "decode/decoder.h"
#include "decode/decoder_factory.h"
#include "fuzz/fuzz_input.h"
#include "io/memory_stream.h"

#include <algorithm>
#include <memory>
#include <vector>

using namespace zem;

namespace {

// Frames worth asking about: both ends of the table and just outside them.
std::vector<intptr_t> ProbeFrames(int64_t totalFrames) {
    std::vector<intptr_t> frames = {-1, 0, 1, 2, INT32_MIN, INT32_MAX};
    for (int64_t delta = -2; delta <= 1; ++delta)
        frames.push_back(static_cast<intptr_t>(totalFrames + delta));
    return frames;
}

template <class Source>
void AskPerFrame(Source& source) {
    for (intptr_t frame : ProbeFrames(source.GetInfo(TotalFrames))) {
        for (int id : {FrameBitrate, SeekBit, SeekByte, FrameBytes, FrameBlocks})
            source.GetInfo(id, frame);
    }
}

template <class Source>
void CopyBuffers(Source& source) {
    for (int pair : {0, 1}) {
        const int sizeId = pair ? WavTrailerBytes : WavHeaderBytes;
        const int dataId = pair ? WavTrailerData : WavHeaderData;
        const int64_t declared = source.GetInfo(sizeId);
        const int64_t size = std::clamp<int64_t>(declared, 0, 1 << 20);
        // One buffer of the declared size and one a byte too small.
        for (int64_t bytes : {size, size - 1}) {
            if (bytes < 0)
                continue;
            std::vector<uint8_t> buffer(static_cast<size_t>(bytes));
            source.GetInfo(dataId, reinterpret_cast<intptr_t>(buffer.data()), static_cast<intptr_t>(bytes));
        }
    }
    WAVEFORMATEX format{};
    source.GetInfo(WaveFormat, reinterpret_cast<intptr_t>(&format));
}

template <class Source>
void AskEverything(Source& source) {
    for (int id = Version; id <= Tag; ++id) {
        if (id != WavHeaderData && id != WavTrailerData && id != WaveFormat)
            source.GetInfo(id);
    }
    source.GetInfo(InfoRecord);
    source.GetInfo(-1);
    source.GetInfo(4000);
    AskPerFrame(source);
    CopyBuffers(source);
}

void AskDecoder(CDecoder& decoder) {
    for (int id = DecoderCurrentBlock; id <= DecoderAverageBitrate; ++id)
        decoder.GetInfo(id);
    AskEverything(decoder);
}

// Ranges chosen from the stream's own size, plus the awkward ones.
void TryRanges(CMemoryStream& io, int64_t totalBlocks) {
    const int64_t third = totalBlocks / 3;
    const int64_t ranges[][2] = {{third, 2 * third}, {1, totalBlocks - 1}, {totalBlocks, totalBlocks + 5},
                                 {-1, -1},           {5, 2},               {0, 0}};
    for (const auto& range : ranges) {
        int error = 0;
        auto* info = new CStreamInfo(&io, &error);
        std::unique_ptr<CDecoder> decoder = OpenDecoderFromInfo(
            info, static_cast<int>(range[0]), static_cast<int>(range[1]), &error);
        if (decoder)
            AskDecoder(*decoder);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > fuzzing::kMaxInputBytes)
        return 0;
    CMemoryStream io(fuzzing::CopyInput(data, size));
    int error = 0;
    int64_t totalBlocks = 0;
    {
        CStreamInfo info(&io, &error);
        FUZZ_REQUIRE(error == 0 || error == 1002);
        FUZZ_REQUIRE((error == 0) == (info.IsValid() != 0));
        if (error != 0)
            return 0;
        AskEverything(info);
        totalBlocks = info.GetInfo(TotalBlocks);
    }
    std::unique_ptr<CDecoder> whole = OpenDecoderFromIo(&io, &error);
    if (whole)
        AskDecoder(*whole);
    whole.reset();
    TryRanges(io, totalBlocks);
    return 0;
}
