// SPDX-License-Identifier: BSD-3-Clause
// Decoding one whole frame through libzem.
#pragma once

#include "tools/zemfs/wave_file.h"

#include <zem/zem.h>

#include <cstdint>

namespace zemfs {

// Decodes the blocks of `span` (one frame) with `decoder`, seeking only when
// it does not stand at the frame's first block already. Returns ZEM_OK, or
// the error of the read that failed (ZEM_ERROR_BAD_FRAME for a failed check).
int DecodeFrame(zem_decoder* decoder, const FrameSpan& span, uint32_t blockAlign, DecodedFrame* frame);

}  // namespace zemfs
