// SPDX-License-Identifier: BSD-3-Clause
// ReplayGain 2.0 measurements through libebur128: integrated loudness against
// the -18 LUFS reference, and the sample peak. A build without libebur128 has
// these too, MeasureLoudness then failing with kNoLoudnessSupport.
#pragma once

#include "tools/zemtool/convert/pcm_source.h"

#include <memory>
#include <string>
#include <vector>

namespace zemtool {

extern const bool kHaveLoudness;
extern const char kNoLoudnessSupport[];  // "loudness measurement is not available in this build"

// One measured piece of audio; kept so that an album's loudness can be taken
// over the pieces together, as one programme.
class Loudness {
public:
    virtual ~Loudness() = default;
    double loudness = 0;  // LUFS; -inf for silence
    double peak = 0;      // 0 to 1 (full scale)
};

// Reads the source to its end. nullptr with the reason in *problem.
std::unique_ptr<Loudness> MeasureLoudness(PcmSource& source, std::string* problem);
// The loudness of the pieces as one programme (gated together), -inf for silence.
double AlbumLoudness(const std::vector<Loudness*>& pieces);

// "-6.54 dB" for loudness -11.46 LUFS; "" for silence, which has no gain.
std::string GainText(double loudness);
// "0.988553"
std::string PeakText(double peak);

}  // namespace zemtool
