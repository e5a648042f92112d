// SPDX-License-Identifier: BSD-3-Clause
// The filter's own event, sent to the filter graph's event sink (the
// application reads it with IMediaEvent::GetEvent).
//
// EC_ZEM_DAMAGED_FRAME: a frame failed its check and the blocks it left out
// are delivered as silence of their exact length, so playback and timing go
// on. Param1 is the first such block, counted from the start of the file's
// blocks (of the link's track for a link file); param2 the number of blocks.
#pragma once

#include <windows.h>
#include <evcode.h>

constexpr long EC_ZEM_DAMAGED_FRAME = EC_USER + 0x5A01;
