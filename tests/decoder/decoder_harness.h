// SPDX-License-Identifier: BSD-3-Clause
// A decoder built directly on stream information over an in-memory ZEM file,
// with a second, independent stream information on the same bytes to compare
// forwarded answers against.
#pragma once

#include "container/codec_error.h"
#include "container/info_id.h"
#include "container/stream_info.h"
#include "decode/current/frame_decoder.h"
#include "decode/older/older_decoder.h"
#include "io/memory_stream.h"
#include "tests/support/zem_fixture.h"

#include <gtest/gtest.h>

#include <memory>

namespace decoder_tests {

struct FrameTraits {
    using Decoder = CFrameDecoder;
    static testing_support::ZemFixture Fixture() { return testing_support::CurrentZemFixture(3990); }
};

struct OlderTraits {
    using Decoder = COlderDecoder;
    static testing_support::ZemFixture Fixture() { return testing_support::OldZemFixture(3900); }
};

template <class Decoder>
class Harness {
public:
    Harness(const testing_support::ZemFixture& fixture, int start, int finish)
        : m_io(testing_support::BuildZemBytes(fixture)), m_probeIo(m_io.Bytes()), m_probe(&m_probeIo, nullptr) {
        int infoError = -7;
        CStreamInfo* info = new CStreamInfo(&m_io, &infoError);
        EXPECT_EQ(CODEC_OK, infoError);
        error = -7;
        decoder = std::make_unique<Decoder>(&error, info, start, finish);
    }

    int64_t Info(int query, intptr_t p1 = 0, intptr_t p2 = 0) { return decoder->GetInfo(query, p1, p2); }
    // What the stream itself answers, without any decoder in between.
    int64_t Stream(int query, intptr_t p1 = 0) { return m_probe.GetInfo(query, p1); }

    int error = 0;

private:
    // Declared before the decoder: the file must outlive the stream information.
    CMemoryStream m_io;
    CMemoryStream m_probeIo;
    CStreamInfo m_probe;

public:
    std::unique_ptr<Decoder> decoder;
};

}  // namespace decoder_tests
