// SPDX-License-Identifier: BSD-3-Clause
// Writes a version 3990 stream: descriptor, header, seek table and the stored
// wave header in front, then the frames, then the wave file's trailing bytes.
// The front is written twice: reserved at the start, filled in at the end,
// when the seek table and the digest are known.
#pragma once

#include "container/wave_format.h"

#include <cstdint>
#include <vector>

namespace zem {

class CStreamIo;

struct StreamLayout {
    uint16_t level = 2000;
    uint32_t blocksPerFrame = 0;
    uint32_t totalBlocks = 0;
    WAVEFORMATEX format = {};
};

class CStreamWriter {
public:
    static constexpr uint16_t kVersion = 3990;
    static constexpr uint32_t kDescriptorBytes = 52;
    static constexpr uint32_t kHeaderBytes = 24;

    CStreamWriter(CStreamIo& out, const StreamLayout& layout, const std::vector<uint8_t>& waveHeader);

    uint32_t TotalFrames() const { return m_totalFrames; }
    uint32_t FrameBlocks(uint32_t frame) const;

    // Each returns a CodecError (CODEC_WRITE_FAILED when a write fails, or
    // CODEC_BAD_INPUT when the stream would outgrow 2 GiB).
    int Begin();
    // `frame` is in reading order; in the file each group of four bytes,
    // counted from the first frame, is stored last to first. Bytes go out in
    // runs of kWriteRun or more, however small the frames.
    int AddFrame(const uint8_t* frame, size_t bytes);
    int AddFrame(const std::vector<uint8_t>& frame) { return AddFrame(frame.data(), frame.size()); }
    static constexpr size_t kWriteRun = 65536;
    int Finish(const std::vector<uint8_t>& terminating, const uint8_t digest[16]);

    // The front as Finish writes it, and the frames' offsets so far.
    std::vector<uint8_t> Front(const uint8_t digest[16]) const;
    const std::vector<uint32_t>& SeekTable() const { return m_seekTable; }

private:
    int Put(const void* bytes, size_t count);
    int PutGroups(bool flushAll);

    CStreamIo& m_out;
    StreamLayout m_layout;
    const std::vector<uint8_t>& m_waveHeader;
    uint32_t m_totalFrames = 0;
    uint32_t m_framesStart = 0;  // stream offset of the first frame
    uint64_t m_frameBytes = 0;   // logical frame bytes so far
    std::vector<uint32_t> m_seekTable;
    std::vector<uint8_t> m_pending;  // logical bytes not yet a whole group
    uint64_t m_written = 0;
    uint32_t m_terminatingBytes = 0;
};

}  // namespace zem
