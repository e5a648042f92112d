// SPDX-License-Identifier: BSD-3-Clause
#include "encode/frame_check.h"

#include "container/codec_error.h"
#include "container/info_id.h"
#include "container/stream_info.h"
#include "container/stream_info_record.h"
#include "decode/decoder_factory.h"
#include "encode/stream_writer.h"
#include "io/memory_stream.h"

#include <algorithm>
#include <cstring>

namespace zem {

namespace {

constexpr int32_t kCompareBlocks = 4096;

}  // namespace

int64_t CFrameCheck::FirstMismatch(const uint8_t* pcm, uint32_t frames, int32_t blocksPerFrame,
                                   int32_t finalBlocks, const uint8_t* bytes, const size_t* ends) const {
    if (frames == 0)
        return -1;
    CMemoryStream stream;
    StreamLayout layout;
    layout.level = m_level;
    layout.blocksPerFrame = static_cast<uint32_t>(blocksPerFrame);
    layout.totalBlocks = (frames - 1) * uint32_t(blocksPerFrame) + uint32_t(finalBlocks);
    layout.format = m_format;
    const std::vector<uint8_t> noWaveHeader;
    CStreamWriter writer(stream, layout, noWaveHeader);
    const uint8_t digest[16] = {};
    bool written = writer.Begin() == CODEC_OK;
    for (uint32_t i = 0; i < frames && written; ++i)
        written = writer.AddFrame(bytes + (i ? ends[i - 1] : 0), ends[i] - (i ? ends[i - 1] : 0)) == CODEC_OK;
    if (!written || writer.Finish({}, digest) != CODEC_OK)
        return 0;
    int error = 0;
    std::unique_ptr<CDecoder> decoder = OpenDecoderFromIo(&stream, &error);
    if (!decoder || error != CODEC_OK)
        return 0;
    const size_t blockAlign = m_format.nBlockAlign;
    std::vector<uint8_t> decoded(size_t(std::min(blocksPerFrame, kCompareBlocks)) * blockAlign);
    for (uint32_t frame = 0; frame < frames; ++frame) {
        const int32_t blocks = frame + 1 < frames ? blocksPerFrame : finalBlocks;
        for (int32_t done = 0; done < blocks;) {
            const int32_t wanted = std::min(blocks - done, kCompareBlocks);
            int got = 0;
            if (decoder->GetData(decoded.data(), wanted, &got) != CODEC_OK || got != wanted ||
                std::memcmp(decoded.data(), pcm, size_t(got) * blockAlign))
                return frame;
            done += got;
            pcm += size_t(got) * blockAlign;
        }
    }
    return -1;
}

bool FrontReadsBack(const std::vector<uint8_t>& front, const StreamLayout& layout,
                    const std::vector<uint32_t>& seekTable, const std::vector<uint8_t>& waveHeader) {
    CMemoryStream stream(front, true);
    int error = 0;
    CStreamInfo info(&stream, &error);
    if (error != CODEC_OK)
        return false;
    const StreamInfoRecord& r =
        *reinterpret_cast<const StreamInfoRecord*>(static_cast<intptr_t>(info.GetInfo(InfoRecord)));
    const WAVEFORMATEX& f = layout.format;
    const uint32_t frames = static_cast<uint32_t>(seekTable.size());
    const int64_t blocks = frames ? int64_t(frames - 1) * layout.blocksPerFrame + r.finalFrameBlocks : 0;
    return r.version == CStreamWriter::kVersion && r.compressionLevel == layout.level && r.formatFlags == 0 &&
           uint32_t(r.blocksPerFrame) == layout.blocksPerFrame && uint32_t(r.totalFrames) == frames &&
           blocks == int64_t(layout.totalBlocks) && r.channels == f.nChannels && r.bitsPerSample == f.wBitsPerSample &&
           uint32_t(r.sampleRate) == f.nSamplesPerSec && r.seekTable == seekTable &&
           r.storedWaveHeader == waveHeader && r.junkBytes == 0;
}

}  // namespace zem
