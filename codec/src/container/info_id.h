// SPDX-License-Identifier: BSD-3-Clause
// Numbered questions about a stream. 1000-1030, 3000 and 3001 are answered by the
// stream information, 2000-2005 by a decoder (which forwards everything else).
#pragma once

namespace zem {

enum InfoId : int {
    Version = 1000,
    CompressionLevel = 1001,
    FormatFlags = 1002,
    SampleRate = 1003,
    BitsPerSample = 1004,
    BytesPerSample = 1005,
    Channels = 1006,
    BlockAlign = 1007,
    BlocksPerFrame = 1008,
    FinalFrameBlocks = 1009,
    TotalFrames = 1010,
    WavHeaderBytes = 1011,
    WavTrailerBytes = 1012,
    WavDataBytes = 1013,
    WavTotalBytes = 1014,
    FileBytes = 1015,
    TotalBlocks = 1016,
    LengthMs = 1017,
    AverageBitrate = 1018,
    FrameBitrate = 1019,
    DecompressedBitrate = 1020,
    PeakLevel = 1021,
    SeekBit = 1022,
    SeekByte = 1023,
    WavHeaderData = 1024,
    WavTrailerData = 1025,
    WaveFormat = 1026,
    IoSource = 1027,
    FrameBytes = 1028,
    FrameBlocks = 1029,
    Tag = 1030,

    DecoderCurrentBlock = 2000,
    DecoderCurrentMs = 2001,
    DecoderTotalBlocks = 2002,
    DecoderLengthMs = 2003,
    DecoderCurrentBitrate = 2004,
    DecoderAverageBitrate = 2005,
    // Beyond the numbered set above: the stream block where the decoder's range
    // starts (0 for a whole stream, a link's first block for its track).
    DecoderRangeStart = 2006,

    InfoRecord = 3000,
    // Where the stream's bytes end in the file against where they should
    // (a const StreamExtent*): a cut file, a trailer the file does not hold.
    StreamExtentRecord = 3001,
};

}  // namespace zem
