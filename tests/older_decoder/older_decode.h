// SPDX-License-Identifier: BSD-3-Clause
// Decoding an in-memory older stream through COlderDecoder, for the tests.
#pragma once

#include "container/codec_error.h"
#include "container/stream_info.h"
#include "decode/older/older_decoder.h"
#include "io/memory_stream.h"
#include "tests/support/test_files.h"

#include <memory>

namespace older_tests {

using testing_support::Bytes;

struct OpenOlder {
    explicit OpenOlder(const Bytes& file, int start = -1, int finish = -1) : io(file) {
        int infoError = 0;
        auto* info = new CStreamInfo(&io, &infoError);
        openError = infoError;
        decoder = std::make_unique<COlderDecoder>(&constructError, info, start, finish);
    }

    // Everything GetData hands out in requests of `chunk` blocks; `result`
    // receives the first non-zero result (decoding stops there).
    Bytes ReadAll(int chunk, int* result = nullptr) {
        const int blockAlign = static_cast<int>(decoder->GetInfo(1007));
        Bytes out, buffer(static_cast<size_t>(chunk) * blockAlign);
        int status = CODEC_OK;
        for (;;) {
            int got = 0;
            status = decoder->GetData(buffer.data(), chunk, &got);
            out.insert(out.end(), buffer.begin(), buffer.begin() + int64_t(got) * blockAlign);
            if (status != CODEC_OK || got == 0)
                break;
        }
        if (result)
            *result = status;
        return out;
    }

    CMemoryStream io;
    int openError = 0;
    int constructError = 0;
    std::unique_ptr<COlderDecoder> decoder;
};

}  // namespace older_tests
