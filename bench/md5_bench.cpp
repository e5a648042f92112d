// SPDX-License-Identifier: BSD-3-Clause
// Speed of the MD5 digest decode and verify check against a wave file, ours
// beside Nettle's and libgcrypt's, over the run lengths the writer hands it.
//
//   zem_md5_bench [--benchmark_filter=REGEX]
#include "encode/md5.h"

#include <benchmark/benchmark.h>
#include <gcrypt.h>
#include <nettle/md5.h>

#include <random>
#include <vector>

using namespace zem;

namespace {

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

void CountBytes(benchmark::State& state) {
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
}

void Ours(benchmark::State& state) {
    const size_t length = static_cast<size_t>(state.range(0));
    CMd5 md5;
    for (auto _ : state) {
        md5.Update(Bytes().data(), length);
        benchmark::ClobberMemory();
    }
    uint8_t digest[16];
    md5.Finish(digest);
    benchmark::DoNotOptimize(digest);
    CountBytes(state);
}

void Nettle(benchmark::State& state) {
    const size_t length = static_cast<size_t>(state.range(0));
    md5_ctx context;
    md5_init(&context);
    for (auto _ : state) {
        md5_update(&context, length, Bytes().data());
        benchmark::ClobberMemory();
    }
    uint8_t digest[MD5_DIGEST_SIZE];
    md5_digest(&context, sizeof digest, digest);
    benchmark::DoNotOptimize(digest);
    CountBytes(state);
}

void Gcrypt(benchmark::State& state) {
    const size_t length = static_cast<size_t>(state.range(0));
    gcry_md_hd_t handle = nullptr;
    if (gcry_md_open(&handle, GCRY_MD_MD5, 0) != 0) {
        state.SkipWithError("gcry_md_open failed");
        return;
    }
    for (auto _ : state) {
        gcry_md_write(handle, Bytes().data(), length);
        benchmark::ClobberMemory();
    }
    benchmark::DoNotOptimize(gcry_md_read(handle, GCRY_MD_MD5));
    gcry_md_close(handle);
    CountBytes(state);
}

// A frame's share of a run, and a whole run of 4096 stereo 16-bit blocks.
BENCHMARK(Ours)->Arg(4096)->Arg(16384)->Arg(65536);
BENCHMARK(Nettle)->Arg(4096)->Arg(16384)->Arg(65536);
BENCHMARK(Gcrypt)->Arg(4096)->Arg(16384)->Arg(65536);

}  // namespace

int main(int argc, char** argv) {
    gcry_check_version(nullptr);
    gcry_control(GCRYCTL_INITIALIZATION_FINISHED, 0);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
