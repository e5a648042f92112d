// SPDX-License-Identifier: BSD-3-Clause
// Decoded frames for readers: kept ones from the cache, others decoded once
// (a frame being decoded for one reader is waited for by the next) on a
// decoder borrowed from the pool.
#pragma once

#include "tools/zemfs/decoder_pool.h"
#include "tools/zemfs/frame_cache.h"
#include "tools/zemfs/frame_claims.h"
#include "tools/zemfs/source_tree.h"
#include "tools/zemfs/wave_file.h"

#include <memory>
#include <string>

namespace zemfs {

// One open WAV: what it shows and the version of its sources it was opened on.
struct WaveSource {
    std::string path;  // in the mount, for the log
    Node node;
    std::shared_ptr<const WaveVersion> version;  // shared with every holder of this version
    Fingerprints prints;  // of node.sources when opened
    std::string key;   // node.Key()

    const WaveLayout& layout() const { return version->layout; }
};

class FrameSource {
public:
    FrameSource(SourceTree& tree, size_t cacheBytes, size_t decoders)
        : m_tree(tree), m_cache(cacheBytes), m_decoders(decoders) {}

    // The frame that holds `block`: 0, or -EIO for a frame that cannot be
    // decoded or sources that changed meanwhile, -ENOENT for sources gone.
    int Fetch(const WaveSource& file, uint64_t block, DecodedFrame* frame);
    // Decodes the frame that holds `block` ahead of its reader, unless it is
    // kept or being decoded already.
    void Prefetch(const WaveSource& file, uint64_t block);

private:
    int Decode(const WaveSource& file, const FrameSpan& span, DecodedFrame* frame);

    SourceTree& m_tree;
    FrameCache m_cache;
    FrameClaims m_claims;
    DecoderPool m_decoders;
};

}  // namespace zemfs
