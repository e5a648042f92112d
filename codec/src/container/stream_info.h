// SPDX-License-Identifier: BSD-3-Clause
// Stream information of a ZEM file: finds and parses the header once and
// answers every question about the stream through GetInfo (see InfoId).
#pragma once

#include "container/stream_extent.h"
#include "container/stream_info_record.h"
#include "io/owned_ptr.h"
#include "io/stream_io.h"

#include <cstdint>

namespace zem {

class CTagBlock;

class CStreamInfo {
public:
    // Opens the file itself and owns it. `tag`, when given, becomes this
    // object's in every case: it is deleted with it, also when construction
    // fails. Without one, a tag is read from the same file. A given tag may
    // belong to another file (a link file's tag): it answers the Tag query,
    // while the sizes of the stream's end (last frame, trailer) always come
    // from the stream file's own tags. `error` (may be null) receives 0 or
    // CODEC_BAD_INPUT.
    CStreamInfo(const WCHAR* fileName, int* error, CTagBlock* tag = nullptr);
    // Borrows `io`, which must outlive this object; otherwise as above.
    CStreamInfo(CStreamIo* io, int* error, CTagBlock* tag = nullptr);
    virtual ~CStreamInfo();

    CStreamInfo(const CStreamInfo&) = delete;
    CStreamInfo& operator=(const CStreamInfo&) = delete;

    int IsValid() const { return m_valid; }

    // Answers InfoId 1000-1030, 3000 and 3001; -1 for any other id. Values are
    // 32-bit answers widened; pointer answers (IoSource, Tag, InfoRecord) are
    // the pointers, and buffer parameters are pointers, as intptr_t.
    int64_t GetInfo(int id, intptr_t param1 = 0, intptr_t param2 = 0);

private:
    void Construct(int* error);
    int ReadHeader();
    void Reset();

    // Per-frame answers.
    bool HasSeekEntry(intptr_t frame) const;
    int32_t GetSeekByte(intptr_t frame) const;
    int32_t GetSeekBit(intptr_t frame) const;
    int32_t GetFrameBytes(intptr_t frame);
    int32_t GetFrameBlocks(intptr_t frame) const;
    int32_t GetFrameBitrate(intptr_t frame);
    int32_t TrailingTagBytes();

    // Wave header and trailer copies.
    int CopyWavHeader(uint8_t* buffer, intptr_t size);
    int CopyWavTrailer(uint8_t* buffer, intptr_t size);
    int FillWaveFormat(void* format) const;

    bool RecordValue(int id, int32_t* value) const;

    int m_valid = 0;
    OwnedPtr<CStreamIo> m_io;
    OwnedPtr<CTagBlock> m_tag;
    OwnedPtr<CTagBlock> m_fileTag;  // the stream file's own tags, when m_tag was given
    StreamInfoRecord m_record;
    StreamExtent m_extent;
};

}  // namespace zem
