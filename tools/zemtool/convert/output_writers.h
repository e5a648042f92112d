// SPDX-License-Identifier: BSD-3-Clause
// The WAV and ZEM halves of `zemtool convert` (FLAC's is in flac_support.h).
#pragma once

#include "tools/zemtool/convert/convert_item.h"
#include "tools/zemtool/convert/pcm_source.h"

#include <string>

namespace zemtool {

// The WAV file `zemtool decode` would write: the source's own header and
// trailer when it has them. Returns "" or the problem.
std::string WriteWav(PcmSource& source, const ConvertItem& item);

// A ZEM stream at `level` (1000 to 5000) with the item's tags under their ZEM
// names and its cover as a binary item; a WAV source's header and trailer are
// stored so that it decodes back to the same bytes.
std::string WriteZem(PcmSource& source, const ConvertItem& item, unsigned level, unsigned threads);

}  // namespace zemtool
