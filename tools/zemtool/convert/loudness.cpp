// SPDX-License-Identifier: BSD-3-Clause
#include "tools/zemtool/convert/loudness.h"

#ifdef ZEM_HAVE_EBUR128
#include <ebur128.h>
#endif

#include <cmath>
#include <cstdio>

namespace zemtool {

const char kNoLoudnessSupport[] = "loudness measurement is not available in this build";

namespace {
constexpr double kReferenceLufs = -18.0;
}

std::string GainText(double loudness) {
    if (!std::isfinite(loudness))
        return {};
    char text[32];
    std::snprintf(text, sizeof text, "%.2f dB", kReferenceLufs - loudness);
    return text;
}

std::string PeakText(double peak) {
    char text[32];
    std::snprintf(text, sizeof text, "%.6f", peak);
    return text;
}

#ifndef ZEM_HAVE_EBUR128

const bool kHaveLoudness = false;

std::unique_ptr<Loudness> MeasureLoudness(PcmSource&, std::string* problem) {
    *problem = kNoLoudnessSupport;
    return nullptr;
}

double AlbumLoudness(const std::vector<Loudness*>&) { return -HUGE_VAL; }

#else

const bool kHaveLoudness = true;

namespace {

class Measured : public Loudness {
public:
    ~Measured() override { ebur128_destroy(&state); }
    ebur128_state* state = nullptr;
};

}  // namespace

std::unique_ptr<Loudness> MeasureLoudness(PcmSource& source, std::string* problem) {
    const PcmFormat& f = source.format;
    auto measured = std::make_unique<Measured>();
    measured->state = ebur128_init(f.channels, f.sampleRate, EBUR128_MODE_I | EBUR128_MODE_SAMPLE_PEAK);
    if (!measured->state) {
        *problem = "cannot measure this audio's format";
        return nullptr;
    }
    const long chunk = 4096;
    const unsigned bytes = (f.bitsPerSample + 7) / 8;
    const double scale = std::ldexp(1.0, -static_cast<int>(f.bitsPerSample - 1));
    std::vector<uint8_t> pcm(static_cast<size_t>(chunk) * f.BlockAlign());
    std::vector<double> samples(static_cast<size_t>(chunk) * f.channels);
    long n;
    while ((n = source.Read(pcm.data(), chunk, problem)) > 0) {
        const size_t count = static_cast<size_t>(n) * f.channels;
        const uint32_t sign = 1u << (f.bitsPerSample - 1);
        for (size_t i = 0; i < count; ++i) {
            uint32_t value = 0;
            for (unsigned b = 0; b < bytes; ++b)
                value |= static_cast<uint32_t>(pcm[i * bytes + b]) << (8 * b);
            if (f.bitsPerSample == 8)
                value ^= sign;
            samples[i] = static_cast<double>(static_cast<int64_t>(value ^ sign) - sign) * scale;
        }
        if (ebur128_add_frames_double(measured->state, samples.data(), static_cast<size_t>(n)) != EBUR128_SUCCESS) {
            *problem = "measuring failed";
            return nullptr;
        }
    }
    if (n < 0)
        return nullptr;
    double loudness = -HUGE_VAL;
    if (ebur128_loudness_global(measured->state, &loudness) != EBUR128_SUCCESS)
        loudness = -HUGE_VAL;
    measured->loudness = loudness;
    for (unsigned c = 0; c < f.channels; ++c) {
        double peak = 0;
        if (ebur128_sample_peak(measured->state, c, &peak) == EBUR128_SUCCESS && peak > measured->peak)
            measured->peak = peak;
    }
    return measured;
}

double AlbumLoudness(const std::vector<Loudness*>& pieces) {
    std::vector<ebur128_state*> states;
    for (Loudness* piece : pieces)
        states.push_back(static_cast<Measured*>(piece)->state);
    double loudness = -HUGE_VAL;
    if (states.empty() || ebur128_loudness_global_multiple(states.data(), states.size(), &loudness) != EBUR128_SUCCESS)
        return -HUGE_VAL;
    return loudness;
}

#endif

}  // namespace zemtool
