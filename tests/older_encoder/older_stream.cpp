// SPDX-License-Identifier: BSD-3-Clause
#include "tests/older_encoder/older_stream.h"

#include "decode/older/inverse_predictor.h"
#include "decode/older/sign_cascade.h"
#include "encode/range_encoder.h"
#include "tests/older_encoder/bit_writer.h"
#include "tests/older_encoder/forward_predictor.h"
#include "tests/older_encoder/mixed_signal.h"
#include "tests/older_encoder/rice_encoder.h"

#include "tests/support/wave_fixture.h"

#include <random>

using namespace zem;

namespace older_encoder {

namespace {

struct ParameterBits {
    int count = 0, value = 0;
};

// Level 4000 before 3800 sends filter parameters ahead of each channel.
ParameterBits ParameterBitsFor(int level, int version) {
    if (level != 4000 || version >= 3800)
        return {};
    if (version < 3320)
        return {4, 6};
    return version < 3600 ? ParameterBits{3, 5} : ParameterBits{3, 6};
}

std::vector<int32_t> DrawResiduals(std::mt19937& random, int n, int32_t amplitude) {
    std::uniform_int_distribution<int32_t> small(-amplitude, amplitude);
    std::uniform_int_distribution<int32_t> spike(-30000, 30000);
    std::uniform_int_distribution<int> rare(0, 499);
    std::vector<int32_t> values(n);
    for (int32_t& v : values)
        v = rare(random) == 0 ? spike(random) : small(random);
    return values;
}

std::vector<int> DrawParameters(std::mt19937& random, ParameterBits bits) {
    if (bits.count == 0)
        return {};
    std::uniform_int_distribution<int> count(0, (1 << bits.count) - 1);
    std::uniform_int_distribution<int> value(0, (1 << bits.value) - 1);
    std::vector<int> parameters{count(random)};
    for (int i = 0; i <= parameters[0]; ++i) {
        parameters.push_back(value(random));
        parameters.push_back(value(random));
    }
    return parameters;
}

void PutSample(Bytes& out, int32_t v, int bytes) {
    if (bytes == 3 && v < 0)
        v = static_cast<int32_t>((static_cast<uint32_t>(v) + (1u << 23)) | (1u << 23));
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<uint8_t>(static_cast<uint32_t>(v) >> (8 * i)));
}

uint32_t Abs(int32_t v) { return v < 0 ? 0u - uint32_t(v) : uint32_t(v); }

uint32_t FrameSum(const std::vector<int32_t>& x, const std::vector<int32_t>& y, int channels) {
    uint32_t sum = 0;
    for (size_t i = 0; i < x.size(); ++i) {
        if (channels == 2) {
            const int32_t b = static_cast<int32_t>(uint32_t(x[i]) - uint32_t(y[i] / 2));
            sum += Abs(b) + Abs(static_cast<int32_t>(uint32_t(b) + uint32_t(y[i])));
        } else {
            sum += Abs(x[i]);
        }
    }
    return sum;
}

// From 3900 a channel is one range-coded block, starting on a byte. Up to
// 3950 the reader's end of block steps back two bytes: whatever follows (the
// next block, the next frame) is read as the block's last two bytes. So the
// flushed code value is rounded up to a multiple of 2^16 and its last two
// bytes are dropped; any two bytes behind it then keep it inside the final
// range, which is above 2^24 in these units.
void EncodeRangeBlock(BitWriter& out, const std::vector<int32_t>& residuals, int version) {
    std::vector<uint8_t> bytes;
    CRangeEncoder encoder(version);
    encoder.Start(&bytes);
    RangeModelState state;
    for (int32_t value : residuals)
        encoder.EncodeAdaptiveValue(state, value);
    encoder.Finish();
    bytes.resize(bytes.size() - 2);
    for (size_t i = bytes.size(); i-- > 1;)
        if (++bytes[i] != 0)
            break;
    out.AlignToByte();
    for (uint8_t byte : bytes)
        out.WriteBits(byte, 8);
}

// One channel's coded data: parameters, then the residual block.
void WriteChannel(BitWriter& out, const OlderStreamShape& shape, const std::vector<int32_t>& residuals,
                  const std::vector<int>& parameters) {
    const ParameterBits bits = ParameterBitsFor(shape.level, shape.version);
    for (size_t i = 0; i < parameters.size(); ++i)
        out.WriteBits(static_cast<uint32_t>(parameters[i]), i == 0 ? bits.count : bits.value);
    if (shape.version < 3860)
        EncodeBlockAdaptive(out, residuals);
    else if (shape.version < 3900)
        EncodeValueAdaptive(out, residuals, shape.version);
    else
        EncodeRangeBlock(out, residuals, shape.version);
}

struct Channel {
    std::vector<int32_t> residuals, samples;
    std::vector<int> parameters;
};

Channel MakeChannel(std::mt19937& random, const OlderStreamShape& shape, int n) {
    Channel c;
    c.residuals = DrawResiduals(random, n, shape.amplitude);
    c.parameters = DrawParameters(random, ParameterBitsFor(shape.level, shape.version));
    c.samples = ExpectedChannel(shape.level, shape.version, c.residuals, c.parameters);
    return c;
}

Channel ChannelOfSamples(std::mt19937& random, const OlderStreamShape& shape, std::vector<int32_t> samples) {
    Channel c;
    c.parameters = DrawParameters(random, ParameterBitsFor(shape.level, shape.version));
    c.residuals = ForwardChannel(shape.level, shape.version, samples, c.parameters);
    c.samples = std::move(samples);
    return c;
}

struct Frame {
    Channel x, y;
    bool xCoded = true, yCoded = true;
    Bytes pcm;
};

Frame DrawnFrame(std::mt19937& random, const OlderStreamShape& shape, uint32_t kind, int n) {
    Frame f;
    const bool stereo = shape.channels == 2;
    f.xCoded = kind != kFrameSilent && !(kind == kFrameXSilent && !stereo);
    f.yCoded = stereo && kind != kFrameSilent && kind != kFrameMonoCoded;
    f.x = f.xCoded ? MakeChannel(random, shape, n) : Channel{{}, std::vector<int32_t>(n, 0), {}};
    f.y = f.yCoded ? MakeChannel(random, shape, n) : Channel{{}, std::vector<int32_t>(n, 0), {}};
    f.pcm = ExpectedPcm(f.x.samples, f.y.samples, shape.channels, shape.bitsPerSample, shape.version);
    return f;
}

// `interleaved` points at the frame's first sample of the stream's PCM.
Frame SampledFrame(std::mt19937& random, const OlderStreamShape& shape, const int32_t* interleaved, int n) {
    Frame f;
    f.yCoded = shape.channels == 2;
    std::vector<int32_t> x, y;
    SplitChannels(interleaved, n, shape.channels, shape.bitsPerSample, shape.version, x, y);
    f.x = ChannelOfSamples(random, shape, std::move(x));
    f.y = f.yCoded ? ChannelOfSamples(random, shape, std::move(y)) : Channel{{}, std::move(y), {}};
    const std::vector<int32_t> values(interleaved, interleaved + size_t(n) * shape.channels);
    f.pcm = testing_support::PcmBytes(values, shape.bitsPerSample);
    return f;
}

void WriteHeader(BitWriter& out, const OlderStreamShape& shape, uint32_t kind, const Bytes& pcm,
                 const std::vector<int32_t>& x, const std::vector<int32_t>& y) {
    if (shape.crcChecks) {
        uint32_t check = ReferenceCrc32(pcm);
        if (shape.version > 3820)
            check >>= 1;
        const bool flagWord = shape.version > 3820 && kind != kFrameCoded;
        out.WriteBits(flagWord ? check | 0x80000000u : check, 32);
        if (flagWord)
            out.WriteBits(kind, 32);
        return;
    }
    const uint32_t sum = kind == kFrameSilent ? 0 : FrameSum(x, y, shape.channels);
    out.WriteUnaryK(sum, 30);
}

}  // namespace

uint32_t ReferenceCrc32(const Bytes& bytes) {
    uint32_t reg = 0xFFFFFFFFu;
    for (uint8_t byte : bytes) {
        reg ^= byte;
        for (int bit = 0; bit < 8; ++bit)
            reg = (reg & 1) ? (reg >> 1) ^ 0xEDB88320u : reg >> 1;
    }
    return ~reg;
}

std::vector<int32_t> ExpectedChannel(int level, int version, std::vector<int32_t> in,
                                     const std::vector<int>& parameters) {
    using namespace inverse_members;
    const int n = static_cast<int>(in.size());
    std::vector<int32_t> out(n + 16, 0);
    in.resize(n + 16, 0);
    if (level == 1000 && version < 3320) {
        FirstOrder4000(in.data(), out.data(), n);
    } else if (level == 1000) {
        Integrator375(in.data(), n);
        out = in;
    } else if (level == 2000) {
        (version < 3320 ? Cascade300 : version < 3800 ? Cascade370 : Cascade740)(in.data(), out.data(), n);
    } else if (level == 3000) {
        auto member = version < 3320 ? Poly3000 : version < 3600 ? Step3320 : version < 3700 ? High3600
                    : version < 3800 ? High3700 : High3800;
        member(in.data(), out.data(), n);
    } else if (level == 4000 && version >= 3800) {
        CSignCascade4000(version).Reconstruct(in.data(), out.data(), n);
    } else if (level == 4000) {
        using namespace inverse_blocks;
        const int c = parameters[0];
        auto P = [&](int i) { return parameters[1 + 2 * i]; };
        auto Q = [&](int i) { return parameters[2 + 2 * i]; };
        if (version < 3600) {
            const bool adaptive = version >= 3320;
            for (int i = c; i >= 0; --i) {
                (adaptive ? OffsetAdaptFilter : OffsetShiftFilter)(in.data(), out.data(), n, Q(i), -1, adaptive ? 32 : 64);
                (adaptive ? OffsetAdaptFilter : OffsetShiftFilter)(out.data(), in.data(), n, P(i), 1, adaptive ? 32 : 64);
            }
            Poly3000(in.data(), out.data(), n);
        } else {
            for (int i = c; i >= 0; i -= 2) {
                TwoTapFilter(in.data(), out.data(), n, P(i), Q(i), 64);
                if (i == 0) {
                    in = out;
                    break;
                }
                TwoTapFilter(out.data(), in.data(), n, P(i - 1), Q(i - 1), 64);
            }
            (version < 3700 ? High3600 : High3700)(in.data(), out.data(), n);
        }
    }
    out.resize(n);
    return out;
}

Bytes ExpectedPcm(const std::vector<int32_t>& x, const std::vector<int32_t>& y, int channels, int bits,
                  int version) {
    const int bytes = bits == 8 ? 1 : bits == 24 ? 3 : 2;
    const uint32_t offset = bits == 8 && version >= 3831 ? 128 : 0;
    Bytes out;
    for (size_t i = 0; i < x.size(); ++i) {
        if (channels == 2) {
            const uint32_t first = uint32_t(x[i]) - uint32_t(y[i] / 2) + offset;
            PutSample(out, static_cast<int32_t>(first), bytes);
            PutSample(out, static_cast<int32_t>(first + uint32_t(y[i])), bytes);
        } else {
            PutSample(out, static_cast<int32_t>(uint32_t(x[i]) + offset), bytes);
        }
    }
    return out;
}

OlderStream BuildOlderStream(const OlderStreamShape& shape) {
    OlderStream stream;
    stream.fixture = testing_support::OldZemFixture(shape.version);
    testing_support::ZemFixture& f = stream.fixture;
    f.compressionLevel = shape.level;
    f.channels = shape.channels;
    f.formatFlags = static_cast<uint16_t>(shape.extraFlags | (shape.crcChecks ? 0x2 : 0) |
                                          (shape.bitsPerSample == 8 ? 0x1 : shape.bitsPerSample == 24 ? 0x8 : 0));
    f.finalFrameBlocks = shape.finalFrameBlocks;
    f.totalFrames = static_cast<uint32_t>(shape.frames);
    stream.blocksPerFrame = testing_support::OldFixtureBlocksPerFrame(shape.version, shape.level);
    stream.blockAlign = shape.bitsPerSample / 8u * shape.channels;

    std::mt19937 random(shape.seed);
    std::vector<int32_t> signal;
    if (shape.samplesFirst && shape.frames > 0)
        signal = MixedSignal(shape.channels, shape.bitsPerSample,
                             (shape.frames - 1) * stream.blocksPerFrame + shape.finalFrameBlocks, shape.seed);
    BitWriter writer;
    std::vector<uint64_t> starts;
    for (int frame = 0; frame < shape.frames; ++frame) {
        const int n = static_cast<int>(frame + 1 == shape.frames ? shape.finalFrameBlocks : stream.blocksPerFrame);
        const uint32_t kind = frame < int(shape.frameKinds.size()) && !shape.samplesFirst ? shape.frameKinds[frame]
                                                                                           : kFrameCoded;
        const Frame data = shape.samplesFirst
            ? SampledFrame(random, shape, signal.data() + size_t(stream.totalBlocks) * shape.channels, n)
            : DrawnFrame(random, shape, kind, n);
        starts.push_back(writer.BitPosition());
        WriteHeader(writer, shape, kind, data.pcm, data.x.samples, data.y.samples);
        if (data.xCoded)
            WriteChannel(writer, shape, data.x.residuals, data.x.parameters);
        if (data.yCoded)
            WriteChannel(writer, shape, data.y.residuals, data.y.parameters);
        if (shape.version > 3800)
            writer.AlignToByte();
        stream.pcm.insert(stream.pcm.end(), data.pcm.begin(), data.pcm.end());
        stream.totalBlocks += static_cast<uint32_t>(n);
    }

    // The seek table points into the frame data, which follows the header data.
    f.frames = {writer.Bytes()};
    f.seekTable = std::vector<uint32_t>(starts.size(), 0);
    const testing_support::ZemFile probe = testing_support::BuildZemFile(f);
    const uint32_t dataStart = probe.headerEnd - probe.streamStart;
    testing_support::Bytes seekBits;
    for (uint64_t bit : starts) {
        const bool byteSeek = shape.version > 3800;
        f.seekTable->at(seekBits.size()) =
            dataStart + static_cast<uint32_t>(byteSeek ? bit / 8 : bit / 32 * 4);
        seekBits.push_back(static_cast<uint8_t>(byteSeek ? 0 : bit % 32));
        stream.frameStarts.push_back(probe.headerEnd + static_cast<uint32_t>(bit / 32 * 4));
    }
    f.seekBits = seekBits;
    stream.file = testing_support::BuildZemBytes(f);
    return stream;
}

}  // namespace older_encoder
