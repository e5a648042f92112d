// SPDX-License-Identifier: BSD-3-Clause
// Headers below version 3980: one 32-byte header with optional words behind
// it, the stored wave header, the seek table and, up to 3800, seek bits.
#include "container/header_parse.h"

namespace zem {

namespace header_parse {

namespace {

constexpr int32_t kOldHeaderBytes = 32;

int32_t OldBitsPerSample(int32_t formatFlags) {
    if (formatFlags & FORMAT_FLAG_8_BIT_SAMPLES)
        return 8;
    if (formatFlags & FORMAT_FLAG_24_BIT_SAMPLES)
        return 24;
    return 16;
}

void TakeOldHeaderFields(const uint8_t* h, StreamInfoRecord* r) {
    r->version = LoadU16(h + 4);
    r->compressionLevel = LoadU16(h + 6);
    r->formatFlags = LoadU16(h + 8);
    r->channels = LoadU16(h + 10);
    r->sampleRate = LoadI32(h + 12);
    r->waveHeaderBytes = (r->formatFlags & FORMAT_FLAG_SYNTHESISED_WAVE_HEADER) ? 44 : LoadI32(h + 16);
    r->waveTerminatingBytes = LoadI32(h + 20);
    r->totalFrames = LoadI32(h + 24);
    r->finalFrameBlocks = LoadI32(h + 28);
    r->bitsPerSample = OldBitsPerSample(r->formatFlags);
    r->blocksPerFrame = OldBlocksPerFrame(r->version, r->compressionLevel);
}

// The words that flags 0x4 and 0x10 add behind the header; gives the seek table entry count.
bool ReadOptionalWords(CStreamIo* io, StreamInfoRecord* r) {
    uint8_t word[4];
    if ((r->formatFlags & FORMAT_FLAG_PEAK_LEVEL_WORD) && !ReadExact(io, word, 4))
        return false;  // the peak level is not used
    r->seekTableEntries = r->totalFrames;
    if (r->formatFlags & FORMAT_FLAG_SEEK_COUNT_WORD) {
        if (!ReadExact(io, word, 4))
            return false;
        r->seekTableEntries = LoadI32(word);
    }
    return true;
}

bool ReadOldTables(CStreamIo* io, StreamInfoRecord* r) {
    if (!(r->formatFlags & FORMAT_FLAG_SYNTHESISED_WAVE_HEADER) &&
        !ReadTable(io, r->waveHeaderBytes, &r->storedWaveHeader))
        return false;
    if (!ReadTable(io, r->seekTableEntries, &r->seekTable))
        return false;
    return r->version > kLastSeekBitVersion || ReadTable(io, r->seekTableEntries, &r->seekBitTable);
}

}  // namespace

int ReadOldHeader(CStreamIo* io, int32_t junkBytes, StreamInfoRecord* record) {
    io->Seek(junkBytes, 0);
    uint8_t header[kOldHeaderBytes];
    if (!ReadExact(io, header, kOldHeaderBytes))
        return -1;
    record->junkBytes = junkBytes;
    TakeOldHeaderFields(header, record);
    // An old header without frames is refused; so is a negative frame count.
    if (record->totalFrames <= 0 || !ReadOptionalWords(io, record))
        return -1;
    record->fileBytes = io->GetSize();
    DeriveValues(record);
    return ReadOldTables(io, record) ? 0 : -1;
}

}  // namespace header_parse

}  // namespace zem
