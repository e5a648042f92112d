// SPDX-License-Identifier: BSD-3-Clause
#include "container/stream_info.h"

#include "container/codec_error.h"
#include "container/header_reader.h"
#include "container/info_id.h"
#include "container/wave_format.h"
#include "io/win32_file.h"
#include "tag/tag_block.h"

#include <cstring>

namespace zem {

namespace {

int32_t Wrap(int64_t value) { return static_cast<int32_t>(static_cast<uint32_t>(value)); }

}  // namespace

CStreamInfo::CStreamInfo(CStreamIo* io, int* error, CTagBlock* tag) {
    m_tag.Assign(tag, false, true);
    m_io.Assign(io, false, false);
    Construct(error);
}

CStreamInfo::~CStreamInfo() { Reset(); }

// Both constructors take the given tag over on their first line, before
// anything can fail or throw, so that every failure (which resets the object)
// releases it too: callers hand it over for good.
void CStreamInfo::Construct(int* error) {
    if (error)
        *error = CODEC_OK;
    if (ReadHeader() != 0) {
        Reset();
        if (error)
            *error = CODEC_BAD_INPUT;
        return;
    }
    if (!m_tag)
        m_tag.Assign(new CTagBlock(m_io.Get(), 1), false, true);
    else
        m_fileTag.Assign(new CTagBlock(m_io.Get(), 1), false, true);
    m_extent = FindStreamExtent(m_record, m_io->GetSize(), TrailingTagBytes());
}

int CStreamInfo::ReadHeader() {
    if (m_valid)
        return 0;
    if (!m_io)
        return -1;
    if (CHeaderReader(m_io.Get()).Read(&m_record) != 0)
        return -1;
    m_valid = 1;
    return 0;
}

// The tags may borrow the file, so they go first.
void CStreamInfo::Reset() {
    m_fileTag.Release();
    m_tag.Release();
    m_io.Release();
    m_record = StreamInfoRecord();
    m_extent = StreamExtent();
    m_valid = 0;
}

bool CStreamInfo::RecordValue(int id, int32_t* value) const {
    const StreamInfoRecord& r = m_record;
    switch (id) {
    case Version: *value = r.version; return true;
    case CompressionLevel: *value = r.compressionLevel; return true;
    case FormatFlags: *value = r.formatFlags; return true;
    case SampleRate: *value = r.sampleRate; return true;
    case BitsPerSample: *value = r.bitsPerSample; return true;
    case BytesPerSample: *value = r.bytesPerSample; return true;
    case Channels: *value = r.channels; return true;
    case BlockAlign: *value = r.blockAlign; return true;
    case BlocksPerFrame: *value = r.blocksPerFrame; return true;
    case FinalFrameBlocks: *value = r.finalFrameBlocks; return true;
    case TotalFrames: *value = r.totalFrames; return true;
    case WavHeaderBytes: *value = r.waveHeaderBytes; return true;
    case WavTrailerBytes: *value = r.waveTerminatingBytes; return true;
    case WavDataBytes: *value = r.waveDataBytes; return true;
    case WavTotalBytes: *value = r.waveTotalBytes; return true;
    case FileBytes: *value = r.fileBytes; return true;
    case TotalBlocks: *value = r.totalBlocks; return true;
    case LengthMs: *value = r.lengthMs; return true;
    case AverageBitrate: *value = r.averageBitrate; return true;
    case DecompressedBitrate: *value = r.decompressedBitrate; return true;
    case PeakLevel: *value = -1; return true;
    }
    return false;
}

int64_t CStreamInfo::GetInfo(int id, intptr_t param1, intptr_t param2) {
    // A trailer the file cannot hold is not there: the wave file ends with the audio.
    if (id == WavTrailerBytes && m_valid)
        return m_extent.TrailerBytes();
    if (id == WavTotalBytes && m_valid)
        return Wrap(int64_t(m_record.waveTotalBytes) - m_record.waveTerminatingBytes + m_extent.TrailerBytes());
    int32_t value = 0;
    if (RecordValue(id, &value))
        return value;
    switch (id) {
    case FrameBitrate: return GetFrameBitrate(param1);
    case SeekBit: return GetSeekBit(param1);
    case SeekByte: return GetSeekByte(param1);
    case WavHeaderData: return CopyWavHeader(reinterpret_cast<uint8_t*>(param1), param2);
    case WavTrailerData: return CopyWavTrailer(reinterpret_cast<uint8_t*>(param1), param2);
    case WaveFormat: return FillWaveFormat(reinterpret_cast<void*>(param1));
    case IoSource: return static_cast<int64_t>(reinterpret_cast<intptr_t>(m_io.Get()));
    case FrameBytes: return GetFrameBytes(param1);
    case FrameBlocks: return GetFrameBlocks(param1);
    case Tag: return static_cast<int64_t>(reinterpret_cast<intptr_t>(m_tag.Get()));
    case InfoRecord: return static_cast<int64_t>(reinterpret_cast<intptr_t>(&m_record));
    case StreamExtentRecord: return static_cast<int64_t>(reinterpret_cast<intptr_t>(&m_extent));
    }
    return -1;
}

// The constructor that opens the file itself, for reading only: the stream
// information never writes to its file.
CStreamInfo::CStreamInfo(const WCHAR* fileName, int* error, CTagBlock* tag) {
    m_tag.Assign(tag, false, true);
    auto* file = new CWin32File();
    m_io.Assign(file, false, true);
    if (!fileName || file->OpenForReading(fileName) != 0) {
        Reset();
        if (error)
            *error = CODEC_BAD_INPUT;
        return;
    }
    Construct(error);
}

// Per-frame answers. Frame numbers are checked against the total frames and,
// as a header may announce fewer seek table entries than frames, also against
// the table: a frame without an entry is answered as out of range.
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
        return Wrap(fileBytes - m_extent.TrailerBytes() - TrailingTagBytes() - start);
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

// Copies of the source wave file's header and trailing bytes.
int CStreamInfo::FillWaveFormat(void* format) const {
    return FillWaveFormatEx(static_cast<WAVEFORMATEX*>(format), m_record.sampleRate, m_record.bitsPerSample,
                            m_record.channels);
}

int CStreamInfo::CopyWavHeader(uint8_t* buffer, intptr_t size) {
    if (m_record.formatFlags & FORMAT_FLAG_SYNTHESISED_WAVE_HEADER) {
        if (size < kWaveHeaderBytes || !buffer)
            return -1;
        WAVEFORMATEX format;
        FillWaveFormat(&format);
        FillWaveHeader(buffer, m_record.waveDataBytes, &format, m_extent.TrailerBytes());
        return 0;
    }
    const std::vector<uint8_t>& stored = m_record.storedWaveHeader;
    if (static_cast<intptr_t>(stored.size()) > size || (!buffer && !stored.empty()))
        return -1;
    if (!stored.empty())
        std::memcpy(buffer, stored.data(), stored.size());
    return 0;
}

// The trailing bytes sit just in front of the tags at the end of the file.
// A trailer that would begin before the file, or a read that comes up short,
// fails instead of handing out bytes from elsewhere.
int CStreamInfo::CopyWavTrailer(uint8_t* buffer, intptr_t size) {
    const int32_t trailerBytes = m_extent.TrailerBytes();
    if (trailerBytes > size)
        return -1;
    if (trailerBytes <= 0)
        return 0;
    if (!buffer || !m_io)
        return -1;
    const int64_t fromEnd = static_cast<int64_t>(trailerBytes) + TrailingTagBytes();
    if (fromEnd > m_io->GetSize())
        return -1;
    const int32_t remembered = m_io->GetPosition();
    m_io->Seek(static_cast<int32_t>(-fromEnd), 2);
    int32_t got = 0;
    m_io->Read(buffer, trailerBytes, &got);
    m_io->Seek(remembered, 0);
    return got == trailerBytes ? 0 : -1;
}

}  // namespace zem
