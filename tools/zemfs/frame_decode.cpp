#include "tools/zemfs/frame_decode.h"

#include <memory>
#include <vector>

namespace zemfs {

int DecodeFrame(zem_decoder* decoder, uint64_t block, uint32_t blockAlign, DecodedFrame* frame) {
    uint64_t first = 0;
    uint64_t end = 0;
    if (int error = zem_get_frame(decoder, block, &first, &end))
        return error;
    if (zem_tell(decoder) != static_cast<int64_t>(first)) {
        if (int error = zem_seek(decoder, first))
            return error;
    }
    auto bytes = std::make_shared<std::vector<uint8_t>>((end - first) * blockAlign);
    uint64_t position = first;
    while (position < end) {
        const long got = zem_read(decoder, bytes->data() + (position - first) * blockAlign,
                                  static_cast<long>(end - position));
        if (got < 0)
            return static_cast<int>(got);
        if (got == 0)
            return ZEM_ERROR_READ_FAILED;
        position += static_cast<uint64_t>(got);
    }
    frame->first = first;
    frame->end = end;
    frame->bytes = std::move(bytes);
    return ZEM_OK;
}

}  // namespace zemfs
