// SPDX-License-Identifier: BSD-3-Clause
#include "container/stream_extent.h"

#include <algorithm>

namespace zem {

namespace {

uint32_t LoadU32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

int64_t FrameStart(const StreamInfoRecord& r, int32_t frame) {
    return int64_t(r.seekTable[size_t(frame)]) + r.junkBytes;
}

// The end of the frames as an encoder records it in the descriptor (the bytes
// from the first frame on), when it agrees with the seek table; -1 otherwise.
// Nothing else tells where a last frame ends in a file cut inside it.
int64_t RecordedFramesEnd(const StreamInfoRecord& r, int64_t lastStart) {
    if (r.version < kFirstDescriptorVersion || r.descriptor.size() < 32)
        return -1;
    const uint32_t low = LoadU32(r.descriptor.data() + 24);
    const uint32_t high = LoadU32(r.descriptor.data() + 28);
    if (low == 0 || high != 0)
        return -1;
    const int64_t end = FrameStart(r, 0) + low;
    return end > lastStart ? end : -1;
}

}  // namespace

StreamExtent FindStreamExtent(const StreamInfoRecord& r, int64_t fileBytes, int64_t tagBytes) {
    StreamExtent extent;
    extent.fileEnd = std::max<int64_t>(fileBytes - std::max<int64_t>(tagBytes, 0), 0);
    extent.announcedTrailer = std::max(r.waveTerminatingBytes, 0);
    extent.framesEnd = extent.fileEnd - extent.announcedTrailer;
    // Frames behind a short seek table (older streams) cannot be placed, so
    // neither can a cut among them.
    const int32_t frames = r.totalFrames;
    if (frames <= 0 || r.seekTable.size() < size_t(frames)) {
        extent.framesEnd = std::max<int64_t>(extent.framesEnd, 0);
        return extent;
    }
    const int32_t last = frames - 1;
    const int64_t lastStart = FrameStart(r, last);
    const int64_t recordedEnd = RecordedFramesEnd(r, lastStart);
    // A trailer is missing when it would overlap the frames: behind the
    // recorded end of the frames, or leaving the last frame no byte at all.
    const int64_t trailerFrom = recordedEnd >= 0 ? recordedEnd : lastStart + 1;
    extent.trailerMissing = extent.announcedTrailer > 0 && extent.framesEnd < trailerFrom;
    extent.framesEnd = extent.fileEnd - extent.TrailerBytes();
    for (int32_t frame = 0; frame < last; ++frame) {
        if (FrameStart(r, frame + 1) > extent.framesEnd) {
            extent.cutFrame = frame;
            break;
        }
    }
    if (extent.cutFrame < 0 && lastStart >= extent.framesEnd)
        extent.cutFrame = last;
    if (extent.cutFrame < 0 && recordedEnd > extent.framesEnd) {
        extent.cutFrame = last;
        extent.lastFrameShort = true;
    }
    extent.neededExact = recordedEnd >= 0;
    extent.neededBytes = (recordedEnd >= 0 ? recordedEnd : lastStart + 1) + extent.announcedTrailer;
    if (extent.neededBytes <= extent.fileEnd && extent.Cut())
        extent.neededBytes = extent.fileEnd + 1;
    extent.framesEnd = std::max<int64_t>(extent.framesEnd, 0);
    return extent;
}

std::string DescribeStreamCut(const StreamExtent& extent) {
    return "the file ends at byte " + std::to_string(extent.fileEnd) + "; the stream needs " +
           (extent.neededExact ? "" : "more than ") +
           std::to_string(extent.neededExact ? extent.neededBytes : extent.neededBytes - 1);
}

}  // namespace zem
