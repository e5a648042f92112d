// SPDX-License-Identifier: BSD-3-Clause
#include "tools/zemfs/frame_decode.h"

#include <memory>
#include <vector>

namespace zemfs {

int DecodeFrame(zem_decoder* decoder, const FrameSpan& span, uint32_t blockAlign, DecodedFrame* frame) {
    if (zem_tell(decoder) != static_cast<int64_t>(span.first)) {
        if (int error = zem_seek(decoder, span.first))
            return error;
    }
    auto bytes = std::make_shared<std::vector<uint8_t>>((span.end - span.first) * blockAlign);
    uint64_t position = span.first;
    while (position < span.end) {
        const long got = zem_read(decoder, bytes->data() + (position - span.first) * blockAlign,
                                  static_cast<long>(span.end - position));
        if (got < 0)
            return static_cast<int>(got);
        if (got == 0)
            return ZEM_ERROR_READ_FAILED;
        position += static_cast<uint64_t>(got);
    }
    frame->first = span.first;
    frame->end = span.end;
    frame->bytes = std::move(bytes);
    return ZEM_OK;
}

}  // namespace zemfs
