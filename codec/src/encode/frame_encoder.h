// SPDX-License-Identifier: BSD-3-Clause
// Encodes one frame of PCM blocks into the bytes a frame decoder reads: the
// check word (and flags when any), then the range-coded residuals of the
// forward predictor chains. A frame depends on nothing but its own blocks:
// the predictors and the coder start afresh in every frame, so any number of
// encoders may each take frames of one stream.
#pragma once

#include "coding/range_coding.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace zem {

class CForwardPredictor;

class CFrameEncoder {
public:
    // Raises the predictors' exception for a level they do not support.
    CFrameEncoder(int32_t level, int32_t version, int32_t channels, int32_t bitsPerSample);
    ~CFrameEncoder();

    // Appends the frame for `blocks` interleaved blocks at `pcm` to `out`, in
    // reading order (see CStreamWriter for the byte order in the file).
    // Returns the frame flags it chose.
    uint32_t EncodeFrame(const uint8_t* pcm, int32_t blocks, std::vector<uint8_t>* out);

private:
    uint32_t ChooseFlags(const uint8_t* pcm, int32_t blocks) const;
    template <int kBits>
    void EncodeValues(const uint8_t* pcm, int32_t blocks, uint32_t flags, std::vector<uint8_t>* out);

    int32_t m_version;
    int32_t m_channels;
    int32_t m_bitsPerSample;
    std::unique_ptr<CForwardPredictor> m_predictorX;
    std::unique_ptr<CForwardPredictor> m_predictorY;
};

}  // namespace zem
