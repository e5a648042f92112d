// SPDX-License-Identifier: BSD-3-Clause
// Finds the ZEM header in a file and parses it into a StreamInfoRecord.
#pragma once

#include "container/stream_info_record.h"
#include "io/stream_io.h"

namespace zem {

class CHeaderReader {
public:
    explicit CHeaderReader(CStreamIo* io) : m_io(io) {}

    // 0 on success; -1 when the file holds no usable ZEM header, also when
    // the header cannot describe the file (frames, seek table or trailer
    // that do not fit it, an impossible sample layout);
    // CODEC_INVALID_PARAMETER without a file or a record. On success the file
    // is left behind the last header data read; on failure the record may
    // hold part of the header and should be discarded.
    int Read(StreamInfoRecord* record);

    // After a failed Read: what is wrong with the file, in a few words
    // ("its seek table is out of order"); empty after a successful one.
    const char* Problem() const { return m_problem; }

private:
    int Refuse(const char* problem);

    CStreamIo* m_io;
    const char* m_problem = "";
};

}  // namespace zem
