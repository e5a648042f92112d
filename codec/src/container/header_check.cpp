// SPDX-License-Identifier: BSD-3-Clause
// Holds a parsed header against the file it came from. Every value that later
// sizes a buffer or bounds a loop (the sample layout, the frame length, the
// number of frames, the trailer) must be one that the file can really hold,
// so a damaged header is refused here instead of sending a decoder through
// billions of frames or gigabytes of buffers.
#include "container/header_parse.h"

#include <algorithm>

namespace zem {

namespace header_parse {

namespace {

// The wave file a stream gives back has 32-bit size fields and a 16-bit
// block align; a header that needs more describes no wave file.
constexpr int64_t kMaxWaveDataBytes = 0xFFFFFFFF;
constexpr int64_t kMaxBlockAlign = 0xFFFF;
constexpr int64_t kMaxBytesPerSecond = 0xFFFFFFFF;

bool KnownLevel(int32_t level) { return level >= 1000 && level <= 5000 && level % 1000 == 0; }

const char* SampleLayoutProblem(const StreamInfoRecord& r) {
    if (!KnownLevel(r.compressionLevel))
        return "its compression level is unknown";
    if (r.channels < 1 || r.bitsPerSample < 8 || r.bitsPerSample > 32 || r.bitsPerSample % 8 != 0 ||
        int64_t(r.bytesPerSample) * r.channels > kMaxBlockAlign)
        return "its channels or bits per sample are impossible";
    if (r.sampleRate < 1 || int64_t(r.sampleRate) * r.blockAlign > kMaxBytesPerSecond)
        return "its sample rate is impossible";
    return nullptr;
}

const char* FrameShapeProblem(const StreamInfoRecord& r) {
    if (r.blocksPerFrame < 1 || int64_t(r.blocksPerFrame) * r.blockAlign > kMaxFramePcmBytes)
        return "its blocks per frame are out of range";
    if (r.totalFrames == 0)
        return nullptr;
    if (r.finalFrameBlocks < 1 || r.finalFrameBlocks > r.blocksPerFrame)
        return "its final frame blocks are out of range";
    const int64_t blocks = (int64_t(r.totalFrames) - 1) * r.blocksPerFrame + r.finalFrameBlocks;
    if (blocks * r.blockAlign > kMaxWaveDataBytes)
        return "it claims more audio than a wave file holds";
    return nullptr;
}

// Frames lie behind the header, in order, and leave room for the trailer.
// From version 3810 on every frame starts on a byte of its own; up to 3800
// frames follow each other bit by bit, so two may start in the same byte.
// Streams for the frame decoder (3930 on) need a seek table entry for every
// frame; older ones are read frame after frame, so frames behind a short
// table can still be decoded in sequence, but there must be room for them.
const char* FramePlacementProblem(const StreamInfoRecord& r, int64_t headerEnd) {
    if (r.waveTerminatingBytes < 0)
        return "its trailer length is impossible";
    if (r.totalFrames == 0) {
        // A stream without frames has no seek table either (old headers are refused earlier).
        if (r.seekTableEntries != 0)
            return "it has a seek table but no frames";
        return headerEnd + r.waveTerminatingBytes > r.fileBytes ? "its trailer is longer than the file" : nullptr;
    }
    if (r.seekTableEntries < r.totalFrames && (r.version >= kFirstFrameDecoderVersion || r.seekTableEntries < 1))
        return "its seek table has fewer entries than it has frames";
    const bool bitPacked = r.version <= kLastSeekBitVersion;
    const int32_t placed = std::min(r.totalFrames, r.seekTableEntries);
    int64_t earliest = headerEnd;
    int64_t lastStart = headerEnd;
    for (int32_t frame = 0; frame < placed; ++frame) {
        const int64_t start = int64_t(r.seekTable[size_t(frame)]) + r.junkBytes;
        lastStart = start;
        if (start < earliest)
            return frame == 0 ? "its seek table puts the first frame inside the header"
                              : "its seek table is out of order";
        earliest = bitPacked ? start : start + 1;
    }
    // Frames without an entry take at least a bit (a byte when byte-aligned) each.
    const int64_t unplaced = r.totalFrames - placed;
    earliest += bitPacked ? (unplaced + 7) / 8 : unplaced;
    // A file cut short before its last frame (a broken download or copy)
    // still has its whole seek table: its frames are bounded by the table, and
    // decoding says where the file ends. Frames the table does not place, and
    // a trailer behind a last frame that lies in the file, must fit.
    const bool cutShort = unplaced == 0 && lastStart >= r.fileBytes;
    if (cutShort)
        return nullptr;
    if (earliest > r.fileBytes)
        return "its frames do not fit in the file";
    if (earliest + r.waveTerminatingBytes > r.fileBytes)
        return "its trailer is longer than the file holds behind the frames";
    return nullptr;
}

}  // namespace

const char* LayoutProblem(const StreamInfoRecord& record, int64_t headerEnd) {
    if (const char* problem = SampleLayoutProblem(record))
        return problem;
    if (const char* problem = FrameShapeProblem(record))
        return problem;
    return FramePlacementProblem(record, headerEnd);
}

}  // namespace header_parse

}  // namespace zem
