// SPDX-License-Identifier: BSD-3-Clause
#include "encode/wave_reader.h"

#include "container/codec_error.h"
#include "io/stream_io.h"

#include <climits>
#include <cstdint>
#include <cstring>

namespace zem {

namespace {

uint32_t Le32(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24; }
uint16_t Le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }

constexpr uint16_t kFormatExtensible = 0xFFFE;
constexpr uint32_t kUnknownDataSize = 0xFFFFFFFF;

// Reads exactly `bytes` more of the header into `wave->header`.
bool ReadHeaderBytes(CStreamIo& in, WaveInput* wave, uint32_t bytes) {
    if (wave->header.size() + bytes > kMaxWaveHeaderBytes)
        return false;
    size_t at = wave->header.size();
    wave->header.resize(at + bytes);
    int32_t got = 0;
    return bytes == 0 ||
           (in.Read(wave->header.data() + at, static_cast<int32_t>(bytes), &got) == 0 && uint32_t(got) == bytes);
}

int Refuse(std::string* reason, const std::string& why) {
    if (reason)
        *reason = why;
    return CODEC_BAD_INPUT;
}

// The format chunk's body: plain PCM, or the extensible record naming PCM.
int ParseFormat(const uint8_t* body, uint32_t size, WAVEFORMATEX* format, std::string* reason) {
    if (size < 16)
        return Refuse(reason, "the format chunk is too short");
    uint16_t tag = Le16(body);
    format->wFormatTag = WAVE_FORMAT_PCM;
    format->nChannels = Le16(body + 2);
    format->nSamplesPerSec = Le32(body + 4);
    format->nAvgBytesPerSec = Le32(body + 8);
    format->nBlockAlign = Le16(body + 12);
    format->wBitsPerSample = Le16(body + 14);
    format->cbSize = 0;
    bool pcm = tag == WAVE_FORMAT_PCM;
    if (tag == kFormatExtensible && size >= 40)
        pcm = Le16(body + 24) == WAVE_FORMAT_PCM && Le16(body + 18) == format->wBitsPerSample;
    if (!pcm)
        return Refuse(reason, "the audio is not plain PCM");
    if (format->nChannels < 1 || format->nChannels > 2)
        return Refuse(reason, "only 1 or 2 channels can be encoded");
    uint16_t bits = format->wBitsPerSample;
    if (bits != 8 && bits != 16 && bits != 24)
        return Refuse(reason, "only 8, 16 or 24 bits per sample can be encoded");
    if (format->nBlockAlign != format->nChannels * (bits / 8) || format->nSamplesPerSec == 0)
        return Refuse(reason, "the format chunk is inconsistent");
    // A stream keeps the rate as a signed 32-bit value, and the wave file it
    // gives back needs the bytes per second in 32 bits.
    if (format->nSamplesPerSec > INT32_MAX || uint64_t(format->nSamplesPerSec) * format->nBlockAlign > UINT32_MAX)
        return Refuse(reason, "the sample rate is out of range");
    return CODEC_OK;
}

// A writer that did not know the length (one writing to a pipe) leaves the
// data size 0 or 0xFFFFFFFF, or a guess past the end of what it wrote; the
// audio then runs to the end of the input, in whole blocks (a part of a
// block left over is kept as trailing bytes). Otherwise the size stands.
int TakeDataSize(CStreamIo& in, uint32_t size, WaveInput* wave, std::string* reason) {
    const int64_t fileBytes = in.GetSize();
    const int64_t available = fileBytes - in.GetPosition();
    if (fileBytes < 0 || available < 0)
        return Refuse(reason, "the length of the wave file cannot be found");
    const uint32_t blockAlign = wave->format.nBlockAlign;
    if (size == 0 || size == kUnknownDataSize || size > available)
        size = static_cast<uint32_t>(available - available % blockAlign);
    else if (size % blockAlign != 0)
        return Refuse(reason, "the data chunk does not hold whole sample frames");
    wave->dataBytes = size;
    return CODEC_OK;
}

}  // namespace

int ReadWaveHeader(CStreamIo& in, WaveInput* wave, std::string* reason) {
    wave->header.clear();
    if (!ReadHeaderBytes(in, wave, 12) || std::memcmp(wave->header.data(), "RIFF", 4) != 0 ||
        std::memcmp(wave->header.data() + 8, "WAVE", 4) != 0)
        return Refuse(reason, "not a RIFF/WAVE file");
    bool haveFormat = false;
    for (;;) {
        size_t chunkStart = wave->header.size();
        if (!ReadHeaderBytes(in, wave, 8))
            return Refuse(reason, haveFormat ? "no data chunk" : "no format chunk");
        const uint8_t* chunk = wave->header.data() + chunkStart;
        uint32_t size = Le32(chunk + 4);
        if (std::memcmp(chunk, "data", 4) == 0) {
            if (!haveFormat)
                return Refuse(reason, "the data chunk comes before the format chunk");
            return TakeDataSize(in, size, wave, reason);
        }
        bool isFormat = std::memcmp(chunk, "fmt ", 4) == 0;
        // Chunks are padded to an even size.
        uint32_t body = size + (size & 1);
        if (size > kMaxWaveHeaderBytes || !ReadHeaderBytes(in, wave, body))
            return Refuse(reason, "a chunk in front of the audio is damaged or too large");
        if (isFormat) {
            int result = ParseFormat(wave->header.data() + chunkStart + 8, size, &wave->format, reason);
            if (result != CODEC_OK)
                return result;
            haveFormat = true;
        }
    }
}

}  // namespace zem
