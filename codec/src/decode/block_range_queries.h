// SPDX-License-Identifier: BSD-3-Clause
// What every decoder shares before it decodes anything: fixing its block range
// on the stream and answering the numbered queries that belong to a decoder
// (2000-2005) or change their answer when only part of the stream is offered.
#pragma once

#include "container/wave_format.h"

#include <cstdint>

namespace zem {

class CStreamInfo;

// The blocks a decoder offers; finish is exclusive and never below start.
struct BlockRange {
    int32_t start = 0;
    int32_t finish = 0;
    bool isRange = false;  // false when the whole stream is offered

    int64_t Length() const { return int64_t(finish) - start; }
};

// Clamps a requested range to the stream: a negative start is the stream's
// beginning, a negative finish its end, and both are cut to its total blocks.
BlockRange ClampBlockRange(CStreamInfo& info, int startBlock, int finishBlock);

// A decoder's state as the shared query answers see it.
struct DecoderQueryContext {
    CStreamInfo* info = nullptr;
    BlockRange range;
    int32_t blockAlign = 0;
    const WAVEFORMATEX* format = nullptr;  // null: asked from the stream when needed
    int32_t currentBlock = 0;              // absolute; meaningful once initialised
    int32_t currentFrame = 0;
    bool initialised = false;
};

// Answers `query` for a decoder: its own queries and the range answers here,
// every other query forwarded unchanged to the stream information.
int64_t AnswerDecoderQuery(const DecoderQueryContext& context, int query, intptr_t param1, intptr_t param2);

}  // namespace zem
