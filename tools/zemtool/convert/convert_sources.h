// SPDX-License-Identifier: BSD-3-Clause
// What each input of `zemtool convert` becomes: one item for a stream, a link,
// a WAV or a FLAC file; one item a track for a cue sheet or an image that
// carries one, named by the link job's naming template.
#pragma once

#include "tools/zemtool/convert/convert_item.h"

#include <string>
#include <vector>

namespace zemtool {

struct ConvertPlanOptions {
    TargetKind target = TargetKind::Flac;
    std::string outputDir;  // empty: beside the input
    std::string naming;     // empty: the input's own name (tracks: the link job's default)
};

// Appends the input's items to `items`; returns "" or why the input cannot be converted.
std::string PlanConversion(const std::string& input, const ConvertPlanOptions& options,
                           std::vector<ConvertItem>& items);

// The Vorbis fields a cue sheet's REM lines add (GENRE, DATE, COMMENT, DISCNUMBER, TOTALDISCS).
TagFields SheetRemarks(const std::string& sheetText);

}  // namespace zemtool
