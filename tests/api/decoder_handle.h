// SPDX-License-Identifier: BSD-3-Clause
// A zem_decoder that closes itself, for the C API's tests.
#pragma once

#include <zem/zem.h>

#include <memory>

struct DecoderCloser {
    void operator()(zem_decoder* d) const { zem_close(d); }
};
using Decoder = std::unique_ptr<zem_decoder, DecoderCloser>;
