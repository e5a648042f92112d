// SPDX-License-Identifier: BSD-3-Clause
// The one interface through which every decoder of the codec library is used.
// Decoders are made by the decoder factory and deleted by whoever received them.
#pragma once

#include <cstdint>

namespace zem {

class CDecoder {
public:
    virtual ~CDecoder() = default;

    // Decodes up to `blocks` blocks of interleaved PCM into `destination`;
    // `blocksRetrieved` receives the count delivered. Returns a CodecError.
    virtual int GetData(void* destination, int blocks, int* blocksRetrieved) = 0;
    // Moves to `block`, counted from the start of the decoder's range.
    virtual int Seek(int block) = 0;
    // Answers a numbered query (InfoId); pointer answers are widened to 64 bits.
    virtual int64_t GetInfo(int query, intptr_t param1 = 0, intptr_t param2 = 0) = 0;
};

}  // namespace zem
