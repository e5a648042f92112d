#include "tessarine/codec/decode/predictor.h"

#include "tessarine/codec/decode/predictor_3930.h"
#include "tessarine/codec/decode/predictor_3950.h"

namespace {
constexpr int32_t kCrossChannelVersion = 3950;
}

void CPredictor::DecodeSamples(int32_t* values, int32_t n) {
    for (int32_t i = 0; i < n; ++i)
        values[i] = DecodeSample(values[i], 0);
}

std::unique_ptr<CPredictor> CreatePredictor(int32_t level, int32_t version) {
    if (version < kCrossChannelVersion)
        return std::make_unique<CPredictor3930>(level, version);
    return std::make_unique<CPredictor3950>(level, version);
}
