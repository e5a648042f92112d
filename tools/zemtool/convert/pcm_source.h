// SPDX-License-Identifier: BSD-3-Clause
// The audio of one conversion, read block by block as the bytes of a WAV
// file's data chunk (8-bit samples unsigned, wider ones signed little-endian).
#pragma once

#include "tools/zemtool/convert/convert_item.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace zemtool {

struct PcmFormat {
    unsigned sampleRate = 0, channels = 0, bitsPerSample = 0;
    uint64_t blocks = 0;
    unsigned BlockAlign() const { return channels * ((bitsPerSample + 7) / 8); }
};

class PcmSource {
public:
    virtual ~PcmSource() = default;
    // Up to maxBlocks blocks into pcm; 0 at the end; negative on failure, with the reason in *problem.
    virtual long Read(uint8_t* pcm, long maxBlocks, std::string* problem) = 0;

    PcmFormat format;
    // The WAV file's bytes around the PCM when the source has them (a stream's
    // stored header and trailer, a WAV file's own); empty: a plain 44-byte header.
    std::vector<uint8_t> wavHeader, wavTrailer;
};

// Opens the item's audio; nullptr with the reason in *problem.
std::unique_ptr<PcmSource> OpenPcmSource(const ConvertItem& item, std::string* problem);

// The plain 44-byte header of a WAV file holding `format`.
std::vector<uint8_t> PlainWavHeader(const PcmFormat& format);

}  // namespace zemtool
