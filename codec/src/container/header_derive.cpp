// SPDX-License-Identifier: BSD-3-Clause
// Values that follow from the header fields. The record's fields are 32-bit
// like those the format was designed around: products and sums are formed in
// unsigned arithmetic and keep their low 32 bits when a hostile header makes
// them overflow, instead of being undefined.
#include "container/header_parse.h"

namespace zem {

namespace header_parse {

namespace {

int32_t Wrap(uint32_t value) { return static_cast<int32_t>(value); }
int32_t Wrap(int64_t value) { return static_cast<int32_t>(static_cast<uint32_t>(value)); }
uint32_t U(int32_t value) { return static_cast<uint32_t>(value); }

int32_t TotalBlocks(const StreamInfoRecord& r) {
    if (r.totalFrames == 0)
        return 0;
    return Wrap((U(r.totalFrames) - 1u) * U(r.blocksPerFrame) + U(r.finalFrameBlocks));
}

// Truncated toward zero; no sample rate gives no length rather than a division by zero.
int32_t LengthMs(const StreamInfoRecord& r) {
    if (r.sampleRate == 0)
        return 0;
    return Wrap(static_cast<int64_t>(r.totalBlocks * 1000.0 / r.sampleRate));
}

int32_t AverageBitrate(const StreamInfoRecord& r) {
    if (r.lengthMs <= 0)
        return 0;
    return Wrap(static_cast<int64_t>(r.fileBytes * 8.0 / r.lengthMs));
}

// 32-bit product, then a signed division, as the stored fields give it.
int32_t DecompressedBitrate(const StreamInfoRecord& r) {
    return Wrap(U(r.blockAlign) * U(r.sampleRate) * 8u) / 1000;
}

}  // namespace

void DeriveValues(StreamInfoRecord* record) {
    StreamInfoRecord& r = *record;
    r.bytesPerSample = r.bitsPerSample / 8;
    r.blockAlign = Wrap(U(r.bytesPerSample) * U(r.channels));
    r.totalBlocks = TotalBlocks(r);
    r.waveDataBytes = Wrap(U(r.blockAlign) * U(r.totalBlocks));
    r.waveTotalBytes = Wrap(U(r.waveHeaderBytes) + U(r.waveDataBytes) + U(r.waveTerminatingBytes));
    r.lengthMs = LengthMs(r);
    r.averageBitrate = AverageBitrate(r);
    r.decompressedBitrate = DecompressedBitrate(r);
}

}  // namespace header_parse

}  // namespace zem
