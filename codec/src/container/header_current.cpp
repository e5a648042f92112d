// SPDX-License-Identifier: BSD-3-Clause
// Headers of version 3980 and later: a descriptor, a header, the seek table
// and the stored wave header, each announced by a length in the descriptor.
#include "container/header_parse.h"

namespace zem {

namespace header_parse {

namespace {

constexpr int32_t kDescriptorBytes = 52;
constexpr int32_t kHeaderBytes = 24;

// Skips what a longer declared length holds beyond the part we read (or goes
// back, for a shorter one). A negative length is no length at all.
bool SkipToDeclaredEnd(CStreamIo* io, int32_t declaredBytes, int32_t bytesRead) {
    if (declaredBytes < 0)
        return false;
    if (declaredBytes != bytesRead)
        io->Seek(declaredBytes - bytesRead, 1);
    return true;
}

void TakeHeaderFields(const uint8_t* d, const uint8_t* h, StreamInfoRecord* r) {
    r->version = LoadU16(d + 4);
    r->compressionLevel = LoadU16(h + 0);
    r->formatFlags = LoadU16(h + 2);
    r->blocksPerFrame = LoadI32(h + 4);
    r->finalFrameBlocks = LoadI32(h + 8);
    r->totalFrames = LoadI32(h + 12);
    r->bitsPerSample = LoadU16(h + 16);
    r->channels = LoadU16(h + 18);
    r->sampleRate = LoadI32(h + 20);
    r->waveHeaderBytes = (r->formatFlags & FORMAT_FLAG_SYNTHESISED_WAVE_HEADER) ? 44 : LoadI32(d + 20);
    r->waveTerminatingBytes = LoadI32(d + 32);
    r->seekTableEntries = LoadI32(d + 16) / 4;
}

}  // namespace

int ReadCurrentHeader(CStreamIo* io, int32_t junkBytes, StreamInfoRecord* record) {
    io->Seek(junkBytes, 0);
    record->descriptor.assign(kDescriptorBytes, 0);
    const uint8_t* d = record->descriptor.data();
    if (!ReadExact(io, record->descriptor.data(), kDescriptorBytes) ||
        !SkipToDeclaredEnd(io, LoadI32(d + 8), kDescriptorBytes))
        return -1;
    uint8_t header[kHeaderBytes];
    if (!ReadExact(io, header, kHeaderBytes) || !SkipToDeclaredEnd(io, LoadI32(d + 12), kHeaderBytes))
        return -1;

    record->junkBytes = junkBytes;
    TakeHeaderFields(d, header, record);
    if (record->totalFrames < 0)
        return -1;
    record->fileBytes = io->GetSize();
    DeriveValues(record);

    // The seek table is read in whole entries and the wave header directly behind it.
    if (LoadI32(d + 16) < 0 || LoadI32(d + 16) % 4 != 0 || !ReadTable(io, record->seekTableEntries, &record->seekTable))
        return -1;
    if (!(record->formatFlags & FORMAT_FLAG_SYNTHESISED_WAVE_HEADER) &&
        !ReadTable(io, record->waveHeaderBytes, &record->storedWaveHeader))
        return -1;
    return 0;
}

}  // namespace header_parse

}  // namespace zem
