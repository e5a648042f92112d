// SPDX-License-Identifier: BSD-3-Clause
// One channel of an older frame at a time: the residual block from the bit
// reader, then the reconstruction the compression level and version call for.
#pragma once

#include "coding/bit_reader.h"
#include "decode/older/inverse_predictor.h"
#include "decode/older/sign_cascade.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace zem {

class CStreamInfo;

class COlderChannelDecoder {
public:
    // Makes the bit reader and the reconstruction for the stream; a CodecError.
    int Setup(CStreamInfo* info);

    // Decodes n residuals and reconstructs them into output (at least n + 16
    // values); `hint` is the frame's byte size. False when the data was damaged.
    bool DecodeChannel(int32_t* output, int n, int32_t hint);

    CBitReader& Reader() { return *m_reader; }
    int32_t* XValues() { return m_x.data(); }
    int32_t* YValues() { return m_y.data(); }
    int32_t Capacity() const { return m_capacity; }

private:
    struct Parameters {
        int count = 0;  // pairs - 1
        int p[16] = {}, q[16] = {};
    };
    Parameters ReadParameters(int countBits, int valueBits);
    void DecodeLevel4000(int32_t* output, int n, int32_t hint);
    void OffsetPasses(const Parameters& parameters, int32_t* output, int n, bool adaptive);
    void PairPasses(const Parameters& parameters, int32_t* output, int n);
    bool ReaderDamaged();

    int32_t m_level = 0;
    int32_t m_version = 0;
    int32_t m_capacity = 0;  // values per array
    std::unique_ptr<CBitReader> m_reader;
    std::unique_ptr<CInversePredictor> m_predictor;
    std::unique_ptr<CSignCascade4000> m_signCascade;
    std::vector<int32_t> m_x, m_y, m_scratch;
};

}  // namespace zem
