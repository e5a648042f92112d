// SPDX-License-Identifier: BSD-3-Clause
#include "model/predictor.h"

#include "model/predictor_3930.h"
#include "model/predictor_3950.h"

namespace zem {

namespace {
constexpr int32_t kCrossChannelVersion = 3950;
}

std::unique_ptr<CPredictor> CreatePredictor(int32_t level, int32_t version) {
    if (version < kCrossChannelVersion)
        return std::make_unique<CPredictor3930>(level, version);
    return std::make_unique<CPredictor3950>(level, version);
}

}  // namespace zem
