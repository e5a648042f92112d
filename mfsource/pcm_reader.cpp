// SPDX-License-Identifier: BSD-3-Clause
#include "mfsource/pcm_reader.h"

#include "zemsource/pcm_format.h"

#include <algorithm>
#include <new>

namespace mfsource {

PcmReader::PcmReader(zem_decoder* d) : m_d(d) { zem_get_info(d, &m_info); }

PcmReader::~PcmReader() { zem_close(m_d); }

bool PcmReader::Seek(uint64_t block) {
    if (zem_seek(m_d, block) != ZEM_OK) return false;
    m_position = block;
    m_silentLeft = 0;
    return true;
}

bool PcmReader::Next(uint64_t maxBlocks, PcmRun& run) {
    run.first = m_position;
    run.blocks = 0;
    run.silent = false;
    run.damagedBlocks = 0;
    const uint64_t left = m_info.total_blocks - std::min(m_position, m_info.total_blocks);
    const uint64_t want = std::min<uint64_t>(std::min(maxBlocks, left), 1u << 20);
    if (want == 0) return true;
    try {
        run.bytes.resize(size_t(want) * m_info.block_align);
    } catch (const std::bad_alloc&) {
        return false;
    }
    if (m_silentLeft == 0) {
        const long got = zem_read(m_d, run.bytes.data(), static_cast<long>(want));
        if (got > 0) {
            run.blocks = uint64_t(got);
            m_position += run.blocks;
            run.bytes.resize(size_t(run.blocks) * m_info.block_align);
            return true;
        }
        const int64_t now = zem_tell(m_d);
        // An error moved the position past the blocks it skipped; nothing moved means the end.
        if (got == 0 || now <= int64_t(m_position)) {
            m_position = m_info.total_blocks;
            run.bytes.clear();
            return true;
        }
        m_silentLeft = uint64_t(now) - m_position;
        run.damagedBlocks = m_silentLeft;
    }
    run.silent = true;
    // What is owed of a skipped frame, at most `want` blocks a run.
    run.blocks = std::min(want, m_silentLeft);
    run.bytes.assign(size_t(run.blocks) * m_info.block_align, zemsource::SilenceByte(uint16_t(m_info.bits_per_sample)));
    m_silentLeft -= run.blocks;
    m_position += run.blocks;
    return true;
}

}  // namespace mfsource
