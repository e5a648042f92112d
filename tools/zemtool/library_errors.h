// SPDX-License-Identifier: BSD-3-Clause
// The library's result codes as the codes zemtool has always reported for the
// same failures, so that decode, verify and info keep their messages.
#pragma once

namespace zemtool {

// For a failed zem_open_ex() or zem_open_memory(): a version no decoder takes
// is CODEC_FAILED, a file that cannot be read CODEC_BAD_INPUT.
int OpenErrorOf(int zemError);

// For a failed zem_seek() or zem_read(): a frame layout the decoder does not
// take is CODEC_BAD_INPUT.
int ReadErrorOf(int zemError);

}  // namespace zemtool
