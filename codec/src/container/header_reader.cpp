// SPDX-License-Identifier: BSD-3-Clause
#include "container/header_reader.h"

#include "container/codec_error.h"
#include "container/format_magic.h"
#include "container/header_parse.h"
#include "container/stream_start.h"

#include <cstring>

namespace zem {

int CHeaderReader::Refuse(const char* problem) {
    m_problem = problem;
    return -1;
}

int CHeaderReader::Read(StreamInfoRecord* record) {
    m_problem = "";
    if (!m_io || !record)
        return CODEC_INVALID_PARAMETER;
    const int32_t junkBytes = FindStreamStart(m_io);
    if (junkBytes < 0)
        return Refuse("no stream start was found in it");
    uint8_t start[6];
    if (!header_parse::ReadExact(m_io, start, sizeof(start)) || std::memcmp(start, kStreamMagic, sizeof(kStreamMagic)) != 0)
        return Refuse("no stream start was found in it");
    const int parsed = header_parse::LoadU16(start + 4) < kFirstDescriptorVersion
                           ? header_parse::ReadOldHeader(m_io, junkBytes, record)
                           : header_parse::ReadCurrentHeader(m_io, junkBytes, record);
    if (parsed != 0)
        return Refuse("its header is damaged or cut short");
    if (const char* problem = header_parse::LayoutProblem(*record, m_io->GetPosition()))
        return Refuse(problem);
    return 0;
}

}  // namespace zem
