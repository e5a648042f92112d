#include "container/stream_info.h"

#include "container/codec_error.h"
#include "container/header_reader.h"
#include "container/info_id.h"
#include "tag/tag_block.h"

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
    }
    return -1;
}
