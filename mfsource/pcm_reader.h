// SPDX-License-Identifier: BSD-3-Clause
// The PCM a media source delivers, run by run, from an open decoder: decoded
// blocks, and for a frame that fails its check (or the rest of a cut file)
// silence of exactly the blocks it skipped, so that the timeline never has a
// hole. Only the C API, no Windows header: tested natively.
#pragma once

#include <zem/zem.h>

#include <cstdint>
#include <vector>

namespace mfsource {

struct PcmRun {
    uint64_t first = 0;   // block number of the run's first block
    uint64_t blocks = 0;  // 0 at the end
    bool silent = false;  // blocks a failed frame skipped
    // On the first run of a failed frame's silence: how many blocks the frame skipped (0 otherwise).
    uint64_t damagedBlocks = 0;
    std::vector<uint8_t> bytes;
};

class PcmReader {
public:
    // Takes over `d` (closed with the reader).
    explicit PcmReader(zem_decoder* d);
    ~PcmReader();
    PcmReader(const PcmReader&) = delete;
    PcmReader& operator=(const PcmReader&) = delete;

    const zem_stream_info& Info() const { return m_info; }
    uint64_t Position() const { return m_position; }
    // False beyond the end (the position stays).
    bool Seek(uint64_t block);
    // The next run of at most `maxBlocks` blocks; a silent run starts where a
    // failed frame did. False when memory ran out.
    bool Next(uint64_t maxBlocks, PcmRun& run);

private:
    zem_decoder* m_d;
    zem_stream_info m_info{};
    uint64_t m_position = 0;
    uint64_t m_silentLeft = 0;  // blocks of silence still owed from m_position
};

}  // namespace mfsource
