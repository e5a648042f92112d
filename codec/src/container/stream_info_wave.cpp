// Copies of the source wave file's header and trailing bytes.
#include "container/stream_info.h"

#include "container/wave_format.h"
#include "tag/tag_block.h"

#include <cstring>

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
        FillWaveHeader(buffer, m_record.waveDataBytes, &format, m_record.waveTerminatingBytes);
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
    const int32_t trailerBytes = m_record.waveTerminatingBytes;
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
