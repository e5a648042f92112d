#include "tessarine/codec/header_reader.h"

#include "tessarine/codec/codec_error.h"
#include "tessarine/codec/header_parse.h"
#include "tessarine/codec/stream_start.h"

#include <cstring>

int CHeaderReader::Read(StreamInfoRecord* record) {
    if (!m_io || !record)
        return CODEC_INVALID_PARAMETER;
    const int32_t junkBytes = FindStreamStart(m_io);
    if (junkBytes < 0)
        return -1;
    uint8_t start[6];
    if (!header_parse::ReadExact(m_io, start, sizeof(start)) || std::memcmp(start, "QRB ", 4) != 0)
        return -1;
    if (header_parse::LoadU16(start + 4) < kFirstDescriptorVersion)
        return header_parse::ReadOldHeader(m_io, junkBytes, record);
    return header_parse::ReadCurrentHeader(m_io, junkBytes, record);
}
