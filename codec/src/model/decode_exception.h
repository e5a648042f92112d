// SPDX-License-Identifier: BSD-3-Clause
// What the decoding engine raises in its two exceptional places: a predictor or
// filter built for a compression level or filter order it does not support
// (code 1), and an output sample out of range (code -1). Everything else in the
// codec library reports result codes.
#pragma once

namespace zem {

struct DecodeException {
    int code;
};

constexpr int kUnsupportedStage = 1;

}  // namespace zem
