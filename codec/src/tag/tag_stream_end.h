// SPDX-License-Identifier: BSD-3-Clause
// Where the audio of a ZEM stream ends: the first byte a tag may take.
#pragma once

#include "io/stream_io.h"

#include <cstdint>

namespace zem {

// The end of the frames and the source wave's trailing bytes, as the stream's
// header gives it; 0 for a file that holds no stream (a link file, say).
// Leaves the file's position as it was.
int64_t StreamAudioEnd(CStreamIo& file);

}  // namespace zem
