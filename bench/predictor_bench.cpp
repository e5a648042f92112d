// SPDX-License-Identifier: BSD-3-Clause
// Speed of the predictor chains alone, per compression level and kernel
// level, as multiples of real time for 44.1 kHz stereo. The residuals come
// from the encoding direction over a synthetic two-voice signal, so the
// filters adapt as they would on music. Processor time, not wall time, so a
// busy machine disturbs the figures less.
//
//   zem_predictor_bench [SECONDS_OF_AUDIO]
#include "dsp/cpu_features.h"
#include "dsp/filter_kernels.h"
#include "encode/forward_predictor.h"
#include "model/predictor.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <random>
#include <vector>

using namespace zem;

namespace {

constexpr int kRate = 44100;
constexpr int kVersion = 3990;
constexpr double kTwoPi = 6.283185307179586;

std::vector<int32_t> MusicLike(int samples, double pitch, uint32_t seed) {
    std::mt19937 random(seed);
    std::normal_distribution<double> noise(0, 300);
    std::vector<int32_t> v(samples);
    for (int i = 0; i < samples; ++i) {
        const double t = static_cast<double>(i) / kRate;
        const double envelope = 0.5 + 0.5 * std::sin(t * 1.3);
        v[i] = static_cast<int32_t>(envelope * (9000 * std::sin(t * pitch) + 4000 * std::sin(t * pitch * 2.01)) +
                                    noise(random));
    }
    return v;
}

// Residuals of both channels the way a stereo frame holds them (X, Y pairs).
std::vector<int32_t> Residuals(int level, const std::vector<int32_t>& x, const std::vector<int32_t>& y) {
    auto forwardX = CreateForwardPredictor(level, kVersion), forwardY = CreateForwardPredictor(level, kVersion);
    std::vector<int32_t> residuals;
    int32_t lastX = 0;
    for (size_t i = 0; i < x.size(); ++i) {
        residuals.push_back(forwardY->EncodeSample(y[i], lastX));
        residuals.push_back(forwardX->EncodeSample(x[i], y[i]));
        lastX = x[i];
    }
    return residuals;
}

double DecodeSeconds(int level, const std::vector<int32_t>& residuals, int32_t* checksum) {
    auto predictorX = CreatePredictor(level, kVersion), predictorY = CreatePredictor(level, kVersion);
    const std::clock_t start = std::clock();
    int32_t lastX = 0;
    uint32_t sum = 0;
    for (size_t i = 0; i < residuals.size(); i += 2) {
        const int32_t y = predictorY->DecodeSample(residuals[i], lastX);
        lastX = predictorX->DecodeSample(residuals[i + 1], y);
        sum = sum * 31u + static_cast<uint32_t>(lastX) + static_cast<uint32_t>(y);
    }
    *checksum = static_cast<int32_t>(sum);
    return static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC;
}

}  // namespace

int main(int argc, char** argv) {
    const double seconds = argc > 1 ? std::atof(argv[1]) : 10.0;
    const int samples = static_cast<int>(seconds * kRate);
    const std::vector<int32_t> left = MusicLike(samples, kTwoPi * 220, 1), right = MusicLike(samples, kTwoPi * 330, 2);
    std::vector<int32_t> x(samples), y(samples);
    for (int i = 0; i < samples; ++i) {
        y[i] = right[i] - left[i];
        x[i] = left[i] + y[i] / 2;
    }
    std::printf("%-6s", "level");
    for (int s = 0; s <= static_cast<int>(MachineSimdLevel()); ++s)
        std::printf(" %10s", SimdLevelName(static_cast<SimdLevel>(s)));
    std::printf("   (x real time, %.0f s of 44.1 kHz stereo)\n", seconds);
    for (int level = 1000; level <= 5000; level += 1000) {
        const std::vector<int32_t> residuals = Residuals(level, x, y);
        std::printf("%-6d", level);
        int32_t expected = 0;
        for (int s = 0; s <= static_cast<int>(MachineSimdLevel()); ++s) {
            SetSimdLimit(static_cast<SimdLevel>(s));
            int32_t checksum = 0;
            const double elapsed = DecodeSeconds(level, residuals, &checksum);
            if (s == 0)
                expected = checksum;
            std::printf(" %9.0fx%s", seconds / elapsed, checksum == expected ? "" : " MISMATCH");
        }
        std::printf("\n");
    }
    return 0;
}
