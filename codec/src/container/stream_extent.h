// SPDX-License-Identifier: BSD-3-Clause
// Where a stream's bytes lie in its file against where its header puts them:
// a file cut short (a broken download or copy) is told apart from frames that
// fail their check, and a trailer the file cannot hold is not handed out.
#pragma once

#include "container/stream_info_record.h"

#include <cstdint>
#include <string>

namespace zem {

struct StreamExtent {
    int64_t fileEnd = 0;          // where the stream's bytes end: the file's size less the tags behind them
    int64_t framesEnd = 0;        // where the last frame's bytes end in the file
    int32_t announcedTrailer = 0; // trailing wave bytes the header announces
    bool trailerMissing = false;  // announced, but the file cannot hold them behind the frames
    int32_t cutFrame = -1;        // the first frame the file does not hold whole; -1 when none
    // The cut lies inside the last frame, as the frame data length of the
    // stream's descriptor tells: the frame is decoded all the same (its check
    // decides), and only when it fails is it reported as cut.
    bool lastFrameShort = false;
    int64_t neededBytes = 0;      // how far the file must reach to hold the whole stream
    bool neededExact = false;     // false: neededBytes is a lower bound

    bool Cut() const { return cutFrame >= 0; }
    // The frame cannot be decoded: its bytes are (partly) beyond the file's end.
    bool FrameMissing(int64_t frame) const {
        return cutFrame >= 0 && frame >= cutFrame && !(lastFrameShort && frame == cutFrame);
    }
    int32_t TrailerBytes() const { return trailerMissing ? 0 : announcedTrailer; }
};

// `fileBytes` is the whole file's size, `tagBytes` what its tags take at its end.
StreamExtent FindStreamExtent(const StreamInfoRecord& record, int64_t fileBytes, int64_t tagBytes);

// "the file ends at byte 132; the stream needs 723" ("... needs more than N"
// when the end of the last frame is unknown).
std::string DescribeStreamCut(const StreamExtent& extent);

}  // namespace zem
