// SPDX-License-Identifier: BSD-3-Clause
#include "tests/support/wave_fixture.h"

#include "container/info_id.h"
#include "decode/decoder.h"
#include "decode/decoder_factory.h"
#include "encode/encoder.h"
#include "io/memory_stream.h"

#include <cmath>

using namespace zem;

namespace testing_support {

namespace {

struct Lcg {
    uint32_t state;
    uint32_t Next() {
        state = state * 1664525u + 1013904223u;
        return state >> 8;
    }
    // Uniform in [-span, span].
    int32_t Spread(int32_t span) { return static_cast<int32_t>(Next() % (2 * uint32_t(span) + 1)) - span; }
};

int32_t MusicSample(uint32_t block, int channel, int32_t limit, Lcg& noise) {
    const double kPi = 3.14159265358979;
    double t = block / 44100.0;
    double envelope = 0.55 + 0.45 * std::sin(2 * kPi * 0.7 * t);
    double tone = 0.5 * std::sin(2 * kPi * (220.0 + 110 * channel) * t) + 0.3 * std::sin(2 * kPi * 330.0 * t + channel) +
                  0.15 * std::sin(2 * kPi * 1250.0 * t);
    int32_t value = static_cast<int32_t>(tone * envelope * limit * 0.9) + noise.Spread(limit / 256 + 1);
    return std::max(-limit - 1, std::min(limit, value));
}

}  // namespace

std::vector<int32_t> MakeSamples(const WaveShape& shape) {
    int32_t limit = (1 << (shape.bitsPerSample - 1)) - 1;
    Lcg noise{shape.seed};
    std::vector<int32_t> samples;
    samples.reserve(size_t(shape.blocks) * shape.channels);
    for (uint32_t block = 0; block < shape.blocks; ++block) {
        for (int channel = 0; channel < shape.channels; ++channel) {
            int32_t v = 0;
            switch (shape.signal) {
            case Signal::Music: v = MusicSample(block, channel, limit, noise); break;
            case Signal::Silence: v = 0; break;
            case Signal::FullScale:
                v = ((block / 3 + channel) % 2 ? limit - noise.Spread(2) - 2 : -limit - 1 + noise.Spread(2) + 2);
                break;
            case Signal::Noise: v = noise.Spread(limit); break;
            }
            samples.push_back(v);
        }
    }
    return samples;
}

Bytes PcmBytes(const std::vector<int32_t>& samples, uint16_t bitsPerSample) {
    Bytes out;
    for (int32_t v : samples) {
        uint32_t u = static_cast<uint32_t>(v);
        if (bitsPerSample == 8) {
            out.push_back(static_cast<uint8_t>(u + 128));
            continue;
        }
        for (int byte = 0; byte < bitsPerSample / 8; ++byte)
            out.push_back(static_cast<uint8_t>(u >> (8 * byte)));
    }
    return out;
}

Bytes BuildWave(const WaveShape& shape) {
    Bytes pcm = PcmBytes(MakeSamples(shape), shape.bitsPerSample);
    uint16_t blockAlign = static_cast<uint16_t>(shape.channels * (shape.bitsPerSample / 8));
    Bytes out;
    PutText(out, "RIFF");
    PutU32(out, static_cast<uint32_t>(4 + 24 + shape.extraChunk.size() + 8 + pcm.size() + shape.trailing.size()));
    PutText(out, "WAVEfmt ");
    PutU32(out, 16);
    PutU16(out, 1);
    PutU16(out, shape.channels);
    PutU32(out, shape.sampleRate);
    PutU32(out, shape.sampleRate * blockAlign);
    PutU16(out, blockAlign);
    PutU16(out, shape.bitsPerSample);
    out.insert(out.end(), shape.extraChunk.begin(), shape.extraChunk.end());
    PutText(out, "data");
    PutU32(out, static_cast<uint32_t>(pcm.size()));
    out.insert(out.end(), pcm.begin(), pcm.end());
    out.insert(out.end(), shape.trailing.begin(), shape.trailing.end());
    return out;
}

Bytes EncodeWaveBytes(const Bytes& wave, int32_t level, int32_t blocksPerFrame, int* result) {
    CMemoryStream in(wave, true);
    CMemoryStream out;
    EncodeSettings settings;
    settings.level = level;
    settings.blocksPerFrame = blocksPerFrame;
    int code = EncodeStream(in, out, settings, nullptr, nullptr);
    if (result)
        *result = code;
    return out.Bytes();
}

Bytes DecodeBlocks(CDecoder& decoder, int32_t chunkBlocks, int* result) {
    int32_t blockAlign = static_cast<int32_t>(decoder.GetInfo(BlockAlign));
    Bytes out;
    Bytes chunk(size_t(chunkBlocks) * blockAlign);
    for (;;) {
        int got = 0;
        int code = decoder.GetData(chunk.data(), chunkBlocks, &got);
        if (code != 0 && result)
            *result = code;
        out.insert(out.end(), chunk.begin(), chunk.begin() + int64_t(got) * blockAlign);
        if (got == 0)
            return out;
    }
}

Bytes DecodeToWave(const Bytes& stream, int* result) {
    if (result)
        *result = 0;
    CMemoryStream io(stream, true);
    int error = 0;
    std::unique_ptr<CDecoder> decoder = OpenDecoderFromIo(&io, &error);
    if (!decoder) {
        if (result)
            *result = error;
        return {};
    }
    Bytes out(static_cast<size_t>(decoder->GetInfo(WavHeaderBytes)));
    decoder->GetInfo(WavHeaderData, reinterpret_cast<intptr_t>(out.data()), static_cast<intptr_t>(out.size()));
    Bytes blocks = DecodeBlocks(*decoder, 4096, result);
    out.insert(out.end(), blocks.begin(), blocks.end());
    Bytes trailer(static_cast<size_t>(decoder->GetInfo(WavTrailerBytes)));
    decoder->GetInfo(WavTrailerData, reinterpret_cast<intptr_t>(trailer.data()), static_cast<intptr_t>(trailer.size()));
    out.insert(out.end(), trailer.begin(), trailer.end());
    return out;
}

}  // namespace testing_support
