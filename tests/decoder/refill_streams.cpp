// SPDX-License-Identifier: BSD-3-Clause
#include "tests/decoder/refill_streams.h"

#include "coding/range_bit_reader.h"
#include "encode/frame_encoder.h"
#include "io/memory_stream.h"
#include "tests/support/wave_fixture.h"
#include "tests/support/zem_fixture.h"

#include <climits>
#include <utility>

using namespace zem;

namespace refill_streams {

using testing_support::ZemFixture;

namespace {

constexpr int32_t kLevel = 1000;

// Up to 3950 the reader's block end steps back two bytes: the next frame's
// first two bytes are read as the block's last two. So the flushed code
// value is rounded up to a multiple of 2^16 and its last two bytes dropped.
void DropLastTwoBytes(Bytes& bytes, size_t blockStart) {
    bytes.resize(bytes.size() - 2);
    for (size_t i = bytes.size(); i-- > blockStart + 1;)
        if (++bytes[i] != 0)
            break;
}

// Frames in reading order to file order: each group of four bytes, counted
// from the first frame, stored last to first.
Bytes FileOrder(Bytes logical) {
    logical.resize((logical.size() + 3) & ~size_t(3), 0);
    for (size_t i = 0; i < logical.size(); i += 4) {
        std::swap(logical[i], logical[i + 3]);
        std::swap(logical[i + 1], logical[i + 2]);
    }
    return logical;
}

class Walker {
public:
    Walker(const Bytes& file, uint32_t firstFrame, int32_t version) : m_io(file, true) {
        m_reader.Init(&m_io, CRangeBitReader::kBufferBytes, version);
        m_reader.Reload(static_cast<int32_t>(firstFrame), 0);
    }
    // The reader's position as a file offset: the buffer ends where the file was last read.
    int64_t At() { return int64_t(m_io.GetPosition()) - CRangeBitReader::kBufferBytes + m_reader.BitIndex() / 8; }
    // Runs `step`, noting where it started when it refilled the buffer.
    template <class Step>
    void Watch(Step step) {
        const int32_t read = m_io.GetPosition();
        const int64_t at = At();
        step(m_reader);
        if (m_io.GetPosition() != read)
            m_walk.refills.push_back(at);
    }
    void Values(int channels, int32_t blocks) {
        RangeModelState states[2];
        Watch([](CBitReader& r) { r.StartRange(); });
        for (int32_t b = 0; b < blocks; ++b)
            for (int c = 0; c < channels; ++c)
                Watch([&](CBitReader& r) { r.DecodeAdaptiveValue(states[c]); });
        m_reader.FinishRange();
        m_walk.blockEnds.push_back(At());
        m_walk.sinceRefill.push_back(m_walk.refills.empty() ? INT32_MIN : At() - m_walk.refills.back());
    }
    Walk Result() const { return m_walk; }

private:
    CMemoryStream m_io;
    CRangeBitReader m_reader;
    Walk m_walk;
};

}  // namespace

BuiltStream FrameDecoderStream(uint16_t version, uint16_t channels, uint32_t blocksPerFrame,
                               const std::vector<int32_t>& samples, size_t trailingBytes) {
    ZemFixture f = version >= 3980 ? testing_support::CurrentZemFixture(version)
                                   : testing_support::OldZemFixture(version);
    f.compressionLevel = kLevel;
    f.channels = channels;
    f.blocksPerFrame = version >= 3980 ? blocksPerFrame : f.blocksPerFrame;
    const uint32_t perFrame = testing_support::FixtureBlocksPerFrame(f);
    const uint32_t total = static_cast<uint32_t>(samples.size() / channels);
    const uint32_t frames = (total + perFrame - 1) / perFrame;
    f.totalFrames = frames;
    f.finalFrameBlocks = total - (frames - 1) * perFrame;

    BuiltStream stream;
    stream.pcm = testing_support::PcmBytes(samples, 16);
    CFrameEncoder encoder(kLevel, version, channels, 16);
    Bytes logical;
    std::vector<uint32_t> starts;
    for (uint32_t frame = 0; frame < frames; ++frame) {
        starts.push_back(static_cast<uint32_t>(logical.size()));
        const size_t head = logical.size();
        const int32_t n = static_cast<int32_t>(frame + 1 == frames ? f.finalFrameBlocks : perFrame);
        const uint32_t flags =
            encoder.EncodeFrame(stream.pcm.data() + size_t(frame) * perFrame * channels * 2, n, &logical);
        if (version <= 3950)
            DropLastTwoBytes(logical, head + (flags ? 8 : 4));
    }
    f.frames = {FileOrder(std::move(logical))};
    f.terminatingData = Bytes(trailingBytes, 0);
    f.seekTable = std::vector<uint32_t>(starts.size(), 0);
    const testing_support::ZemFile probe = testing_support::BuildZemFile(f);
    for (size_t i = 0; i < starts.size(); ++i)
        f.seekTable->at(i) = probe.headerEnd - probe.streamStart + starts[i];
    stream.file = testing_support::BuildZemBytes(f);
    stream.firstFrame = probe.headerEnd;
    return stream;
}

Walk WalkFrames(const Bytes& file, uint32_t firstFrame, int32_t version, int channels,
                const std::vector<int32_t>& frameBlocks) {
    Walker walker(file, firstFrame, version);
    for (int32_t blocks : frameBlocks) {
        walker.Watch([](CBitReader& r) {
            if (r.ReadCodedValue(0) >> 31)
                r.ReadCodedValue(0);  // the flags
        });
        walker.Values(channels, blocks);
    }
    return walker.Result();
}

Walk WalkOlderFrame(const Bytes& file, uint32_t firstFrame, int32_t version, int channels, int32_t blocks) {
    Walker walker(file, firstFrame, version);
    walker.Watch([](CBitReader& r) { r.ReadCodedValue(0); });
    for (int c = 0; c < channels; ++c)
        walker.Values(1, blocks);
    return walker.Result();
}

}  // namespace refill_streams
