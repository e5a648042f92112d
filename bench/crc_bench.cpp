// SPDX-License-Identifier: BSD-3-Clause
// Speed of the frame CRC over runs of the lengths a frame decoder hands it,
// through the path Update chooses and through each path on its own.
//
//   zem_crc_bench [--benchmark_filter=REGEX]
#include "coding/frame_crc.h"

#include <benchmark/benchmark.h>

#include <random>
#include <vector>

using namespace zem;

namespace {

using UpdateFunction = uint32_t (*)(uint32_t, const uint8_t*, size_t);

const std::vector<uint8_t>& Bytes() {
    static const std::vector<uint8_t> bytes = [] {
        std::vector<uint8_t> v(size_t(1) << 20);
        std::mt19937 random(1);
        for (uint8_t& b : v)
            b = static_cast<uint8_t>(random());
        return v;
    }();
    return bytes;
}

void Run(benchmark::State& state, UpdateFunction update) {
    const size_t length = static_cast<size_t>(state.range(0));
    const uint8_t* bytes = Bytes().data();
    uint32_t reg = frame_crc::kInitial;
    for (auto _ : state) {
        reg = update(reg, bytes, length);
        benchmark::DoNotOptimize(reg);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(length));
}

void Chosen(benchmark::State& state) { Run(state, frame_crc::Update); }
void Sliced(benchmark::State& state) { Run(state, frame_crc::UpdateSliced); }
void Folded(benchmark::State& state) {
    if (!frame_crc::FoldingAvailable()) {
        state.SkipWithError("no carry-less multiplication on this processor");
        return;
    }
    Run(state, frame_crc::UpdateFolded);
}

// A single block of 16-bit stereo, then runs of a few KB up to a whole frame.
#define ZEM_CRC_LENGTHS ->Arg(4)->Arg(64)->Arg(4096)->Arg(65536)->Arg(1 << 20)
BENCHMARK(Chosen) ZEM_CRC_LENGTHS;
BENCHMARK(Sliced) ZEM_CRC_LENGTHS;
BENCHMARK(Folded) ZEM_CRC_LENGTHS;

}  // namespace

BENCHMARK_MAIN();
