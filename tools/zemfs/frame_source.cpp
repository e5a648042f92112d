#include "tools/zemfs/frame_source.h"

#include "tools/zemfs/frame_decode.h"
#include "tools/zemfs/log.h"

#include <cerrno>

namespace zemfs {

int FrameSource::Fetch(const WaveSource& file, uint64_t block, DecodedFrame* frame) {
    const FrameSpan span = FrameOf(file.layout.grid, file.layout.blocks, block);
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
    const FrameSpan span = FrameOf(file.layout.grid, file.layout.blocks, block);
    DecodedFrame frame;
    if (m_cache.Find(file.key, block, &frame) || !m_claims.Claim(file.key, span.first, false))
        return;
    Decode(file, span, &frame);
    m_claims.Release(file.key, span.first);
}

int FrameSource::Decode(const WaveSource& file, const FrameSpan& span, DecodedFrame* frame) {
    int error = 0;
    zem_decoder* decoder = m_decoders.Borrow(
        file.key, span.first, [&file](int* e) { return file.node.OpenDecoder(e); }, &error);
    if (!decoder) {
        LogLine(file.path + ": cannot open " + file.node.open + ": " + zem_error_text(error));
        return error == ZEM_ERROR_CANNOT_OPEN ? -ENOENT : -EIO;
    }
    const int result = DecodeFrame(decoder, span, file.layout.blockAlign, frame);
    // A source changed while it was decoded: neither the bytes nor the decoder can be trusted.
    if (int changed = SourceTree::CheckUnchanged(file.node)) {
        m_decoders.Discard(decoder);
        LogLine(file.path + ": " + file.node.open + (changed == -ENOENT ? " is gone" : " changed"));
        return changed;
    }
    m_decoders.Return(file.key, decoder);
    if (result != ZEM_OK) {
        LogLine(file.path + ": blocks " + std::to_string(span.first) + " to " + std::to_string(span.end) + " of " +
                file.node.open + " cannot be decoded: " + zem_error_text(result));
        return -EIO;
    }
    m_cache.Insert(file.key, *frame);
    return 0;
}

}  // namespace zemfs
