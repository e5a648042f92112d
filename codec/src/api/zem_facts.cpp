// SPDX-License-Identifier: BSD-3-Clause
// The whole stream's numbers as its header and file give them, and where a
// file cut short ends against where its stream should.
#include "api/decoder_handle.h"

#include "container/info_id.h"
#include "container/stream_extent.h"
#include "decode/failed_frame_fill.h"

#include <algorithm>

using namespace zem;

extern "C" int zem_get_facts(const zem_decoder* d, zem_stream_facts* facts) {
    if (!d || !facts)
        return ZEM_ERROR_INVALID_ARGUMENT;
    CDecoder& decoder = *d->decoder;
    const auto ask = [&decoder](int query) { return static_cast<int64_t>(decoder.GetInfo(query)); };
    zem_stream_facts f = {};
    f.version = ask(Version);
    f.compression_level = ask(CompressionLevel);
    f.format_flags = ask(FormatFlags);
    f.sample_rate = ask(SampleRate);
    f.bits_per_sample = ask(BitsPerSample);
    f.bytes_per_sample = ask(BytesPerSample);
    f.channels = ask(Channels);
    f.block_align = ask(BlockAlign);
    f.blocks_per_frame = ask(BlocksPerFrame);
    f.final_frame_blocks = ask(FinalFrameBlocks);
    f.total_frames = ask(TotalFrames);
    f.wav_header_bytes = ask(WavHeaderBytes);
    f.wav_trailer_bytes = ask(WavTrailerBytes);
    f.wav_data_bytes = ask(WavDataBytes);
    f.wav_total_bytes = ask(WavTotalBytes);
    f.file_bytes = ask(FileBytes);
    f.total_blocks = ask(TotalBlocks);
    f.length_ms = ask(LengthMs);
    f.average_bitrate = ask(AverageBitrate);
    f.decompressed_bitrate = ask(DecompressedBitrate);
    f.peak_level = ask(PeakLevel);
    f.range_blocks = ask(DecoderTotalBlocks);
    f.range_length_ms = ask(DecoderLengthMs);
    f.range_average_bitrate = ask(DecoderAverageBitrate);
    f.fill_byte = failed_frame_fill::ByteFor(static_cast<int>(std::clamp<int64_t>(f.version, 0, 0xFFFF)),
                                             static_cast<int>(std::clamp<int64_t>(f.bits_per_sample, 0, 64)));
    *facts = f;
    return ZEM_OK;
}

extern "C" int zem_get_cut(const zem_decoder* d, zem_stream_cut* cut) {
    if (!d || !cut)
        return ZEM_ERROR_INVALID_ARGUMENT;
    zem_stream_cut c = {};
    c.cut_frame = -1;
    const auto* extent =
        reinterpret_cast<const StreamExtent*>(static_cast<intptr_t>(d->decoder->GetInfo(StreamExtentRecord)));
    if (extent) {
        c.cut_frame = extent->cutFrame;
        c.file_end = extent->fileEnd;
        c.needed_bytes = extent->neededBytes;
        c.needed_exact = extent->neededExact ? 1 : 0;
        c.trailer_missing = extent->trailerMissing ? 1 : 0;
        c.announced_trailer = extent->announcedTrailer;
    }
    *cut = c;
    return ZEM_OK;
}
