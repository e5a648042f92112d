// SPDX-License-Identifier: BSD-3-Clause
#include "cue/link_builder.h"

#include <cmath>
#include <limits>

namespace zem {

int32_t CueTimeToBlock(const CueTime& time, int32_t rate) {
    // 1/75 is not exact in binary, so the order of these steps shows in the
    // result (one block short of the exact value for some times); existing
    // link files were written this way.
    const double frameSeconds = 1.0 / 75.0;
    double a = time.frames * frameSeconds;
    // Taken in 64 bits: minutes beyond 35,791,394 would overflow a 32-bit product.
    double b = a + static_cast<double>(static_cast<int64_t>(time.minutes) * 60);
    double c = b + time.seconds;
    double d = rate * c;
    // A block number must fit the signed 32-bit text the link reader takes;
    // times beyond it keep their sign instead of wrapping around.
    if (!(d < 2147483648.0))
        return std::numeric_limits<int32_t>::max();
    if (!(d > -2147483649.0))
        return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(std::trunc(d));
}

}  // namespace zem
