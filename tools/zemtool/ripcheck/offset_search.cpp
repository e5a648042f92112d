// SPDX-License-Identifier: BSD-3-Clause
#include "tools/zemtool/ripcheck/offset_search.h"

#include "tools/zemtool/ripcheck/track_checksum.h"

#include <zem/zem.h>

#include <algorithm>

namespace ripcheck {
namespace {

// The image's samples from `from` (may be negative), `count` of them, as words.
bool ReadWindow(zem_decoder* image, int64_t from, uint64_t count, std::vector<uint32_t>* words, std::string* problem) {
    zem_stream_info info{};
    zem_get_info(image, &info);
    words->assign(static_cast<size_t>(count), 0);
    const int64_t total = static_cast<int64_t>(info.total_blocks);
    const int64_t begin = std::max<int64_t>(from, 0);
    const int64_t end = std::min<int64_t>(from + static_cast<int64_t>(count), total);
    if (begin >= end)
        return true;
    if (zem_seek(image, static_cast<uint64_t>(begin)) != ZEM_OK) {
        *problem = "cannot seek in the image";
        return false;
    }
    std::vector<uint8_t> pcm(static_cast<size_t>(end - begin) * 4);
    int64_t at = begin;
    while (at < end) {
        const long got = zem_read(image, pcm.data() + (at - begin) * 4, static_cast<long>(std::min<int64_t>(end - at, 1 << 16)));
        if (got <= 0) {
            const int64_t now = zem_tell(image);
            if (got == 0 || now <= at) {
                *problem = "the image cannot be read for the offset search";
                return false;
            }
            at = now;  // a damaged frame stays silence
            continue;
        }
        at += got;
    }
    for (int64_t i = begin; i < end; ++i) {
        const uint8_t* b = &pcm[static_cast<size_t>(i - begin) * 4];
        (*words)[static_cast<size_t>(i - from)] = static_cast<uint32_t>(b[0]) | static_cast<uint32_t>(b[1]) << 8 |
                                                  static_cast<uint32_t>(b[2]) << 16 | static_cast<uint32_t>(b[3]) << 24;
    }
    return true;
}

}  // namespace

bool FindMatchingOffsets(zem_decoder* image, uint64_t start, uint64_t samples, bool firstTrack, bool lastTrack,
                         const std::vector<uint32_t>& wanted, int limit, std::vector<int>* offsets,
                         std::string* problem) {
    offsets->clear();
    const uint64_t lo = firstTrack ? kSkippedSamples : 1;
    const uint64_t hi = lastTrack ? (samples >= kSkippedSamples ? samples - kSkippedSamples : 0) : samples;
    if (lo > hi || wanted.empty())
        return true;
    const uint64_t margin = static_cast<uint64_t>(limit);
    std::vector<uint32_t> x;
    if (!ReadWindow(image, static_cast<int64_t>(start) - limit, samples + 2 * margin + 1, &x, problem))
        return false;
    // Position p of the track read at offset k is image sample start + k + p - 1.
    auto at = [&](uint64_t p, int k) { return x[static_cast<size_t>(p - 1 + static_cast<uint64_t>(k + limit))]; };
    uint32_t weighted = 0;  // v1 at offset k
    uint32_t plain = 0;     // the plain sum of the same samples
    for (uint64_t p = lo; p <= hi; ++p) {
        weighted += at(p, -limit) * static_cast<uint32_t>(p);
        plain += at(p, -limit);
    }
    for (int k = -limit;; ++k) {
        if (k != 0 && std::find(wanted.begin(), wanted.end(), weighted) != wanted.end())
            offsets->push_back(k);
        if (k == limit)
            break;
        const uint32_t leaving = at(lo, k);
        const uint32_t entering = at(hi + 1, k);
        plain = plain - leaving + entering;
        weighted = weighted - leaving * static_cast<uint32_t>(lo) + entering * static_cast<uint32_t>(hi + 1) - plain;
    }
    return true;
}

}  // namespace ripcheck
