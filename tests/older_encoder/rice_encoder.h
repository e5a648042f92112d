// SPDX-License-Identifier: BSD-3-Clause
// Rice coding of one channel's residuals, the mirror of both generations of
// the decoder's Rice reader.
#pragma once

#include "tests/older_encoder/bit_writer.h"

#include <cstdint>
#include <vector>

namespace older_encoder {

// Codes 0, 1, 2, 3, 4 ... stand for 0, 1, -1, 2, -2 ...
uint32_t CodeOf(int32_t value);

// Streams below 3860: k from running block sums.
void EncodeBlockAdaptive(BitWriter& out, const std::vector<int32_t>& values);
// Streams 3860 to 3890: k adapted per value; above 3880 a long unary run raises k.
void EncodeValueAdaptive(BitWriter& out, const std::vector<int32_t>& values, int version);

}  // namespace older_encoder
