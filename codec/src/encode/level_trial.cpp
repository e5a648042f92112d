// SPDX-License-Identifier: BSD-3-Clause
#include "encode/level_trial.h"

#include "encode/frame_encoder.h"
#include "encode/stream_writer.h"
#include "io/stream_io.h"

#include <algorithm>
#include <atomic>
#include <climits>
#include <thread>

namespace zem {

namespace {

constexpr int32_t kLowestLevel = 1000;
constexpr int32_t kLevelStep = 1000;

// The excerpts' coded bytes at `level`.
size_t TrialBytes(int32_t level, const WAVEFORMATEX& format, const TrialExcerpts& excerpts) {
    CFrameEncoder encoder(level, CStreamWriter::kVersion, format.nChannels, format.wBitsPerSample);
    size_t total = 0;
    std::vector<uint8_t> bytes;
    for (const std::vector<uint8_t>& pcm : excerpts.pcm) {
        bytes.clear();
        encoder.EncodeFrame(pcm.data(), static_cast<int32_t>(pcm.size() / format.nBlockAlign), &bytes);
        total += bytes.size();
    }
    return total;
}

}  // namespace

bool TakesLevelTrial(const WAVEFORMATEX& format) { return format.wBitsPerSample == 24; }

TrialExcerpts ReadTrialExcerpts(CStreamIo& in, int32_t dataStart, uint32_t blockAlign, uint32_t totalBlocks,
                                uint32_t blocksPerFrame) {
    TrialExcerpts excerpts;
    if (blocksPerFrame == 0 || totalBlocks == 0)
        return excerpts;
    const uint32_t frames = (totalBlocks + blocksPerFrame - 1) / blocksPerFrame;
    const bool whole = frames <= kTrialFrames && blocksPerFrame <= kTrialBlocks;
    const uint32_t picks = std::min(frames, kTrialFrames);
    for (uint32_t pick = 0; pick < picks; ++pick) {
        const uint32_t frame = whole ? pick : uint32_t(uint64_t(pick) * frames / picks);
        const uint32_t first = frame * blocksPerFrame;
        const uint32_t blocks = std::min({blocksPerFrame, totalBlocks - first, whole ? UINT32_MAX : kTrialBlocks});
        const int64_t at = dataStart + int64_t(first) * blockAlign;
        std::vector<uint8_t> pcm(size_t(blocks) * blockAlign);
        int32_t got = 0;
        if (at + int64_t(pcm.size()) > INT32_MAX || in.Seek(static_cast<int32_t>(at), 0) != 0 ||
            in.Read(pcm.data(), static_cast<int32_t>(pcm.size()), &got) != 0 || size_t(got) != pcm.size())
            break;
        excerpts.pcm.push_back(std::move(pcm));
    }
    if (in.Seek(dataStart, 0) != 0)
        excerpts.pcm.clear();
    return excerpts;
}

int32_t ChooseStreamLevel(int32_t requested, const WAVEFORMATEX& format, const TrialExcerpts& excerpts,
                          int threads) {
    if (excerpts.pcm.empty() || requested <= kLowestLevel)
        return requested;
    const size_t levels = size_t(requested / kLevelStep);  // requested, requested - 1000, ..., 1000
    std::vector<size_t> sizes(levels);
    std::atomic<size_t> next{0};
    auto work = [&] {
        for (size_t i; (i = next++) < levels;)
            sizes[i] = TrialBytes(requested - int32_t(i) * kLevelStep, format, excerpts);
    };
    std::vector<std::thread> helpers;
    for (size_t i = 1; i < std::min(levels, size_t(std::max(threads, 1))); ++i)
        helpers.emplace_back(work);
    work();
    for (std::thread& helper : helpers)
        helper.join();
    // The first smallest: on a tie the higher level.
    const size_t best = size_t(std::min_element(sizes.begin(), sizes.end()) - sizes.begin());
    return requested - int32_t(best) * kLevelStep;
}

}  // namespace zem
