// Per-frame answers. Frame numbers are checked against the total frames and,
// as a header may announce fewer seek table entries than frames, also against
// the table: a frame without an entry is answered as out of range.
#include "container/stream_info.h"

#include "tag/tag_block.h"

namespace {

int32_t Wrap(int64_t value) { return static_cast<int32_t>(static_cast<uint32_t>(value)); }

}  // namespace

bool CStreamInfo::HasSeekEntry(intptr_t frame) const {
    return frame >= 0 && frame < m_record.totalFrames &&
           frame < static_cast<intptr_t>(m_record.seekTable.size());
}

int32_t CStreamInfo::GetSeekByte(intptr_t frame) const {
    if (!HasSeekEntry(frame))
        return 0;
    return Wrap(static_cast<int64_t>(m_record.seekTable[static_cast<size_t>(frame)]) + m_record.junkBytes);
}

int32_t CStreamInfo::GetSeekBit(intptr_t frame) const {
    if (m_record.version > kLastSeekBitVersion || !HasSeekEntry(frame) ||
        frame >= static_cast<intptr_t>(m_record.seekBitTable.size()))
        return 0;
    return m_record.seekBitTable[static_cast<size_t>(frame)];
}

// Measured on the stream file itself even when the Tag query answers with a
// tag of another file: that one says nothing about where this file's audio ends.
int32_t CStreamInfo::TrailingTagBytes() {
    CTagBlock* tag = m_fileTag ? m_fileTag.Get() : m_tag.Get();
    return tag ? tag->GetTrailingBytes() : 0;
}

int32_t CStreamInfo::GetFrameBytes(intptr_t frame) {
    if (!HasSeekEntry(frame))
        return -1;
    const int64_t start = GetSeekByte(frame);
    if (frame == m_record.totalFrames - 1) {
        const int64_t fileBytes = m_io ? m_io->GetSize() : 0;
        return Wrap(fileBytes - m_record.waveTerminatingBytes - TrailingTagBytes() - start);
    }
    if (!HasSeekEntry(frame + 1))
        return -1;
    return Wrap(GetSeekByte(frame + 1) - start);
}

int32_t CStreamInfo::GetFrameBlocks(intptr_t frame) const {
    if (frame < 0 || frame >= m_record.totalFrames)
        return -1;
    return frame == m_record.totalFrames - 1 ? m_record.finalFrameBlocks : m_record.blocksPerFrame;
}

int32_t CStreamInfo::GetFrameBitrate(intptr_t frame) {
    const int64_t bytes = GetFrameBytes(frame);
    const int64_t blocks = GetFrameBlocks(frame);
    if (bytes <= 0 || blocks <= 0 || m_record.sampleRate <= 0)
        return 0;
    const int64_t ms = blocks * 1000 / m_record.sampleRate;
    return ms != 0 ? Wrap(bytes * 8 / ms) : 0;
}
