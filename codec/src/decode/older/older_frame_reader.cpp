// SPDX-License-Identifier: BSD-3-Clause
#include "decode/older/older_frame_reader.h"

#include "container/codec_error.h"
#include "container/info_id.h"
#include "container/stream_info.h"

namespace zem {

namespace {

constexpr int32_t kCrcFormatFlag = 0x2;
constexpr int32_t kFirstFlagWordVersion = 3821;
constexpr int32_t kFirstRangeVersion = 3900;
constexpr uint32_t kFlagXSilent = 1, kFlagYSilent = 2, kFlagMonoCoded = 4;

void Zero(int32_t* values, int n) {
    for (int i = 0; i < n; ++i)
        values[i] = 0;
}

}  // namespace

int COlderFrameReader::Setup(CStreamInfo* info) {
    m_info = info;
    static const StreamExtent kWhole;
    m_extent = reinterpret_cast<const StreamExtent*>(static_cast<intptr_t>(info->GetInfo(StreamExtentRecord)));
    if (!m_extent)
        m_extent = &kWhole;
    m_version = static_cast<int32_t>(info->GetInfo(Version));
    m_formatFlags = static_cast<int32_t>(info->GetInfo(FormatFlags));
    m_totalFrames = static_cast<int32_t>(info->GetInfo(TotalFrames));
    m_layout.channels = static_cast<int>(info->GetInfo(Channels));
    m_layout.bitsPerSample = static_cast<int>(info->GetInfo(BitsPerSample));
    m_layout.version = m_version;
    m_lastFrame = -1;
    // Only mono and stereo have a sample layout; anything else is refused
    // before a buffer is sized by its channel count.
    if (older_output::BlockBytes(m_layout) == 0)
        return CODEC_BAD_INPUT;
    return m_channels.Setup(info);
}

// Frames up to 3800 continue bit for bit where the previous one ended and are
// found by seek byte and seek bit; later frames start on a byte and are found
// by the seek byte alone, read in words aligned on the first frame.
int COlderFrameReader::Position(int32_t frame, bool sequential) {
    CBitReader& reader = m_channels.Reader();
    if (sequential) {
        if (m_version > kLastSeekBitVersion)
            reader.AlignToByte();
        return CODEC_OK;
    }
    const int64_t seekByte = m_info->GetInfo(SeekByte, frame);
    const int64_t firstByte = m_info->GetInfo(SeekByte, 0);
    // A frame without a seek table entry (answered as 0) cannot be found.
    if (seekByte <= 0 || firstByte <= 0 || seekByte < firstByte)
        return CODEC_FAILED;
    if (m_version <= kLastSeekBitVersion)
        return reader.Reload(static_cast<int32_t>(seekByte), static_cast<uint32_t>(m_info->GetInfo(SeekBit, frame)));
    const int64_t remainder = (seekByte - firstByte) % 4;
    return reader.Reload(static_cast<int32_t>(seekByte - remainder), static_cast<uint32_t>(remainder * 8));
}

COlderFrameReader::FrameHeader COlderFrameReader::ReadFrameHeader() {
    CBitReader& reader = m_channels.Reader();
    FrameHeader header;
    if (m_formatFlags & kCrcFormatFlag) {
        header.check = reader.ReadCodedValue(0);
        if (m_version >= kFirstFlagWordVersion && (header.check & 0x80000000u)) {
            header.flags = reader.ReadCodedValue(0);
            header.check &= 0x7FFFFFFFu;
        }
    } else {
        header.check = reader.ReadCodedValue(1, 30);
        if (header.check == 0)
            header.flags = kFlagXSilent | kFlagYSilent;
    }
    return header;
}

bool COlderFrameReader::DecodeChannels(int n, uint32_t flags, int32_t hint) {
    int32_t* x = m_channels.XValues();
    int32_t* y = m_channels.YValues();
    if (m_layout.channels == 2) {
        if ((flags & kFlagXSilent) && (flags & kFlagYSilent)) {
            Zero(x, n);
            Zero(y, n);
            return true;
        }
        if (!m_channels.DecodeChannel(x, n, hint))
            return false;
        if (flags & kFlagMonoCoded) {
            Zero(y, n);
            return true;
        }
        return m_channels.DecodeChannel(y, n, hint);
    }
    if (flags & kFlagXSilent) {
        Zero(x, n);
        return true;
    }
    return m_channels.DecodeChannel(x, n, hint);
}

bool COlderFrameReader::CheckFrame(const FrameHeader& header, uint8_t* destination, int n) {
    const int32_t* x = m_channels.XValues();
    const int32_t* y = m_channels.YValues();
    const uint32_t reg = older_output::ConvertFrame(m_layout, x, y, n, destination);
    if (m_formatFlags & kCrcFormatFlag)
        return header.check == older_output::CrcCheck(reg, m_version);
    return header.check == older_output::FrameSum(x, y, n, m_layout.channels);
}

int COlderFrameReader::DecodeFrame(uint8_t* destination, int32_t frame) {
    if (frame < 0 || frame >= m_totalFrames)
        return 0;
    const int64_t n = m_info->GetInfo(FrameBlocks, frame);
    // Blocks beyond the arrays make the frame fail.
    if (n < 0 || n > m_channels.Capacity() - 16)
        return -1;
    // The range coder of 3900 on has no unary/k value: a frame sum cannot be
    // read, and every frame would pass as silence. Such frames fail instead.
    if (m_version >= kFirstRangeVersion && !(m_formatFlags & kCrcFormatFlag))
        return -1;
    const bool sequential = m_lastFrame >= 0 && frame == m_lastFrame + 1;
    m_lastFrame = -1;  // until this frame is through, the next one must be positioned
    // Bytes beyond the file's end read as zeros, which an unchecked frame of
    // old streams takes for silence (and a frame read on from the one before
    // for whatever follows): such a frame fails, however it is reached.
    if (m_extent->FrameMissing(frame))
        return kCut;
    const bool cut = m_extent->lastFrameShort && frame == m_extent->cutFrame;
    if (Position(frame, sequential) != CODEC_OK)
        return cut ? kCut : -1;
    const FrameHeader header = ReadFrameHeader();
    const int32_t hint = static_cast<int32_t>(m_info->GetInfo(FrameBytes, frame));
    if (!DecodeChannels(static_cast<int>(n), header.flags, hint) ||
        !CheckFrame(header, destination, static_cast<int>(n)))
        return cut ? kCut : -1;
    m_lastFrame = frame;
    return static_cast<int>(n);
}

}  // namespace zem
