// SPDX-License-Identifier: BSD-3-Clause
// Locating the stream start ("QRB " and a version) behind an optional ID3v2
// block and junk.
#pragma once

#include "io/stream_io.h"

#include <cstdint>

namespace zem {

// How far past the search start the magic may lie.
constexpr int32_t kMaxStreamSearchSteps = 1048576;

// Returns the file offset of the stream start and leaves the file there, or
// -1 with the file back at the position it had on entry.
int32_t FindStreamStart(CStreamIo* io);

}  // namespace zem
