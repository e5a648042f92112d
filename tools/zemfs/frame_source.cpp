// SPDX-License-Identifier: BSD-3-Clause
#include "tools/zemfs/frame_source.h"

#include "tools/zemfs/frame_decode.h"
#include "tools/zemfs/log.h"

#include <cerrno>

namespace zemfs {

int FrameSource::Fetch(const WaveSource& file, uint64_t block, DecodedFrame* frame) {
    const FrameSpan span = FrameOf(file.layout().grid, file.layout().blocks, block);
    for (;;) {
        if (m_cache.Find(file.key, block, frame))
            return 0;
        if (m_claims.Claim(file.key, span.first))
            break;
    }
    const int result = Decode(file, span, frame);
    m_claims.Release(file.key, span.first);
    return result;
}

void FrameSource::Prefetch(const WaveSource& file, uint64_t block) {
    const FrameSpan span = FrameOf(file.layout().grid, file.layout().blocks, block);
    DecodedFrame frame;
    if (m_cache.Find(file.key, block, &frame) || !m_claims.Claim(file.key, span.first, false))
        return;
    Decode(file, span, &frame);
    m_claims.Release(file.key, span.first);
}

int FrameSource::Decode(const WaveSource& file, const FrameSpan& span, DecodedFrame* frame) {
    for (int attempt = 0;; ++attempt) {
        // After a change that leaves the bytes as they were (a tag edit), the
        // decoders opened before it are not taken again: the file's end moved.
        std::string changed;
        std::string now;
        if (int error = m_tree.CheckUnchanged(file.node, file.prints, &changed, &now)) {
            LogLine(file.path + ": " + changed + (error == -ENOENT ? " is gone" : " changed"));
            return error;
        }
        const std::string decoders = file.key + now;
        int error = 0;
        zem_decoder* decoder = m_decoders.Borrow(
            decoders, span.first, [&file](int* e) { return file.node.OpenDecoder(e); }, &error);
        if (!decoder) {
            LogLine(file.path + ": cannot open " + file.node.open + ": " + zem_error_text(error));
            return error == ZEM_ERROR_CANNOT_OPEN ? -ENOENT : -EIO;
        }
        const int result = DecodeFrame(decoder, span, file.layout().blockAlign, frame);
        // A source changed while it was decoded: neither the bytes nor the
        // decoder can be trusted; after a harmless change, decode again.
        std::string after;
        error = m_tree.CheckUnchanged(file.node, file.prints, &changed, &after);
        if (error || after != now) {
            m_decoders.Discard(decoder);
            if (!error && attempt < 2)
                continue;
            LogLine(file.path + ": " + changed + (error == -ENOENT ? " is gone" : " changed"));
            return error == -ENOENT ? -ENOENT : -EIO;
        }
        m_decoders.Return(decoders, decoder);
        if (result != ZEM_OK) {
            LogLine(file.path + ": blocks " + std::to_string(span.first) + " to " + std::to_string(span.end) + " of " +
                    file.node.open + " cannot be decoded: " + zem_error_text(result));
            return -EIO;
        }
        m_cache.Insert(file.key, *frame);
        return 0;
    }
}

}  // namespace zemfs
