// SPDX-License-Identifier: BSD-3-Clause
// Where a stream's bytes end against where its header puts them: whole
// files, cuts between, inside and before frames, trailers the file cannot
// hold, and the frame data length a descriptor records.
#include "container/stream_extent.h"

#include <gtest/gtest.h>

using namespace zem;

namespace {

// Three frames at 100, 300 and 500; `recordedFrameBytes` (0: none) from the
// first frame on, as a version 3990 descriptor keeps it.
StreamInfoRecord Record(int32_t trailer, uint32_t recordedFrameBytes) {
    StreamInfoRecord r;
    r.version = recordedFrameBytes ? 3990 : 3950;
    r.totalFrames = 3;
    r.waveTerminatingBytes = trailer;
    r.seekTable = {100, 300, 500};
    if (recordedFrameBytes) {
        r.descriptor.assign(52, 0);
        for (int i = 0; i < 4; ++i)
            r.descriptor[24 + i] = static_cast<uint8_t>(recordedFrameBytes >> (8 * i));
    }
    return r;
}

TEST(StreamExtent, CutsTrailersAndWhatTheStreamNeeds) {
    const struct {
        const char* name;
        StreamInfoRecord record;
        int64_t fileBytes, tagBytes;
        int32_t cutFrame;
        bool lastFrameShort, trailerMissing;
        int32_t trailer;
        const char* text;
    } cases[] = {
        {"whole", Record(20, 0), 720, 32, -1, false, false, 20, "the file ends at byte 688; the stream needs more than 520"},
        {"whole, recorded", Record(20, 600), 720, 0, -1, false, false, 20, "the file ends at byte 720; the stream needs 720"},
        {"inside frame 1", Record(0, 0), 350, 0, 1, false, false, 0, "the file ends at byte 350; the stream needs more than 500"},
        {"at frame 2", Record(0, 0), 500, 0, 2, false, false, 0, "the file ends at byte 500; the stream needs more than 500"},
        {"trailer beyond", Record(9000, 0), 400, 0, 1, false, true, 0, "the file ends at byte 400; the stream needs more than 9500"},
        {"inside the last frame", Record(20, 600), 650, 0, 2, true, true, 0, "the file ends at byte 650; the stream needs 720"},
        {"inside the trailer", Record(20, 600), 710, 0, -1, false, true, 0, "the file ends at byte 710; the stream needs 720"},
        {"recorded end before the last frame", Record(0, 350), 650, 0, -1, false, false, 0,
         "the file ends at byte 650; the stream needs more than 500"},
    };
    for (const auto& c : cases) {
        const StreamExtent extent = FindStreamExtent(c.record, c.fileBytes, c.tagBytes);
        EXPECT_EQ(c.cutFrame, extent.cutFrame) << c.name;
        EXPECT_EQ(c.lastFrameShort, extent.lastFrameShort) << c.name;
        EXPECT_EQ(c.trailerMissing, extent.trailerMissing) << c.name;
        EXPECT_EQ(c.trailer, extent.TrailerBytes()) << c.name;
        EXPECT_EQ(c.text, DescribeStreamCut(extent)) << c.name;
        EXPECT_GE(extent.framesEnd, 0) << c.name;
    }
}

TEST(StreamExtent, MissingFramesAreThoseFromTheCutOn) {
    const StreamExtent inside = FindStreamExtent(Record(0, 0), 350, 0);
    EXPECT_FALSE(inside.FrameMissing(0));
    EXPECT_TRUE(inside.FrameMissing(1));
    EXPECT_TRUE(inside.FrameMissing(2));
    // A last frame the file holds in part is decoded: its check decides.
    const StreamExtent lastShort = FindStreamExtent(Record(20, 600), 650, 0);
    EXPECT_FALSE(lastShort.FrameMissing(2));
    EXPECT_TRUE(lastShort.Cut());
}

}  // namespace
