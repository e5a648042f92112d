// SPDX-License-Identifier: BSD-3-Clause
// Reads and checks whole frames of an older stream: positions the bit reader,
// reads the frame header, decodes both channels and converts them to PCM.
#pragma once

#include "decode/older/older_channel_decoder.h"
#include "decode/older/older_output.h"
#include "container/stream_extent.h"

#include <cstdint>

namespace zem {

class CStreamInfo;

class COlderFrameReader {
public:
    // A CodecError: CODEC_BAD_INPUT for a channel count other than 1 or 2,
    // CODEC_NO_MEMORY when the reader or arrays cannot be had.
    int Setup(CStreamInfo* info);

    // Decodes `frame` into destination (blocks of the frame × block align
    // bytes): the blocks decoded, 0 past the last frame, -1 when the frame
    // cannot be positioned, is damaged or fails its check, kCut when the
    // file ends before it does.
    static constexpr int kCut = -2;
    int DecodeFrame(uint8_t* destination, int32_t frame);

private:
    struct FrameHeader {
        uint32_t check = 0;
        uint32_t flags = 0;
    };
    int Position(int32_t frame, bool sequential);
    FrameHeader ReadFrameHeader();
    bool DecodeChannels(int n, uint32_t flags, int32_t hint);
    bool CheckFrame(const FrameHeader& header, uint8_t* destination, int n);

    CStreamInfo* m_info = nullptr;
    const StreamExtent* m_extent = nullptr;
    int32_t m_version = 0;
    int32_t m_formatFlags = 0;
    int32_t m_totalFrames = 0;
    int32_t m_lastFrame = -1;  // the last frame decoded, -1 when none
    older_output::SampleLayout m_layout;
    COlderChannelDecoder m_channels;
};

}  // namespace zem
