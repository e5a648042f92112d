// Finds the ZEM header in a file and parses it into a StreamInfoRecord.
#pragma once

#include "tessarine/codec/stream_info_record.h"
#include "tessarine/codec/stream_io.h"

class CHeaderReader {
public:
    explicit CHeaderReader(CStreamIo* io) : m_io(io) {}

    // 0 on success; -1 when the file holds no usable ZEM header;
    // CODEC_INVALID_PARAMETER without a file or a record. On success the file
    // is left behind the last header data read; on failure the record may
    // hold part of the header and should be discarded.
    int Read(StreamInfoRecord* record);

private:
    CStreamIo* m_io;
};
