// SPDX-License-Identifier: BSD-3-Clause
#include "tests/older_encoder/mixed_signal.h"

#include "tests/support/wave_fixture.h"

#include <algorithm>
#include <random>

namespace older_encoder {

using testing_support::Signal;

std::vector<int32_t> MixedSignal(int channels, int bits, uint32_t blocks, uint32_t seed) {
    // Silence is followed by music, which starts near 0: a jump from digital
    // silence straight to full scale would need unary runs longer than the
    // Rice reader of 3860 to 3880 keeps buffered.
    static const Signal kOrder[] = {Signal::Music, Signal::FullScale, Signal::Music,
                                    Signal::Silence, Signal::Music, Signal::Noise};
    std::mt19937 random(seed);
    std::uniform_int_distribution<uint32_t> length(blocks / 12 + 1, blocks / 4 + 1);
    std::vector<int32_t> samples;
    for (uint32_t done = 0, part = 0; done < blocks; ++part) {
        testing_support::WaveShape stretch;
        stretch.channels = static_cast<uint16_t>(channels);
        stretch.bitsPerSample = static_cast<uint16_t>(bits);
        stretch.signal = kOrder[part % 6];
        stretch.seed = random();
        stretch.blocks = std::min(blocks - done, length(random));
        const std::vector<int32_t> values = testing_support::MakeSamples(stretch);
        samples.insert(samples.end(), values.begin(), values.end());
        done += stretch.blocks;
    }
    return samples;
}

void SplitChannels(const int32_t* interleaved, int blocks, int channels, int bits, int version,
                   std::vector<int32_t>& x, std::vector<int32_t>& y) {
    const int32_t offset = bits == 8 && version < 3831 ? 128 : 0;
    x.assign(blocks, 0);
    y.assign(blocks, 0);
    for (int i = 0; i < blocks; ++i) {
        if (channels == 1) {
            x[i] = interleaved[i] + offset;
            continue;
        }
        const int32_t first = interleaved[2 * i] + offset, second = interleaved[2 * i + 1] + offset;
        y[i] = second - first;
        x[i] = first + y[i] / 2;
    }
}

}  // namespace older_encoder
