// SPDX-License-Identifier: BSD-3-Clause
// A test-only encoder of older ZEM streams, in one of two ways. Residuals
// first: each channel's residuals are drawn at random and reconstructed into
// the samples the stream must decode to. Samples first: PCM is drawn, split
// into channel values and run through the forward filters to get the
// residuals. Either way the residuals are Rice (or range) coded with the
// frame's header and check in the layout of the stream's version, and the
// file gets an old header with its seek table (and seek bits up to 3800).
#pragma once

#include "tests/support/zem_fixture.h"

#include <cstdint>
#include <vector>

namespace older_encoder {

using testing_support::Bytes;

// What a frame carries in its header beyond the check.
enum FrameKind : uint32_t {
    kFrameCoded = 0,
    kFrameXSilent = 1,   // with the CRC flag from 3821 (mono streams)
    kFrameSilent = 3,    // both channels silent: check word 0 without the CRC flag
    kFrameMonoCoded = 4, // stereo coded as mono: Y is 0
};

struct OlderStreamShape {
    uint16_t version = 3800;
    uint16_t level = 2000;
    uint16_t channels = 2;
    uint16_t bitsPerSample = 16;
    bool crcChecks = false;      // format flag 0x2: CRC check words instead of frame sums
    uint16_t extraFlags = 0;     // 0x4 peak level word, 0x10 seek count word, 0x20 no stored wave header
    int frames = 2;
    uint32_t finalFrameBlocks = 300;
    uint32_t seed = 1;
    int32_t amplitude = 40;      // residuals are mostly within +-amplitude, with rare spikes
    std::vector<uint32_t> frameKinds;  // per frame; missing entries are kFrameCoded
    // Start from PCM (MixedSignal) instead of residuals; every frame is coded
    // and frameKinds is ignored.
    bool samplesFirst = false;
};

struct OlderStream {
    testing_support::ZemFixture fixture;
    Bytes file;
    Bytes pcm;                   // what the whole stream decodes to
    uint32_t blocksPerFrame = 0;
    uint32_t totalBlocks = 0;
    uint32_t blockAlign = 0;
    std::vector<uint32_t> frameStarts;  // file offset of the word holding each frame's first bit
};

OlderStream BuildOlderStream(const OlderStreamShape& shape);

// The samples a level and version reconstruct from one channel's residuals
// (and, for level 4000 before 3800, its filter parameters: count, then pairs).
std::vector<int32_t> ExpectedChannel(int level, int version, std::vector<int32_t> residuals,
                                     const std::vector<int>& parameters);

// PCM bytes of a frame as the older path writes them.
Bytes ExpectedPcm(const std::vector<int32_t>& x, const std::vector<int32_t>& y, int channels, int bits,
                  int version);

// CRC-32 (reflected 0xEDB88320, initial and final inversion), bit by bit.
uint32_t ReferenceCrc32(const Bytes& bytes);

}  // namespace older_encoder
