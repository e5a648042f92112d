// SPDX-License-Identifier: BSD-3-Clause
// Everything `zemtool info` prints about one file, gathered in one place so
// that the text and the JSON forms show the same answers.
#pragma once

#include "tools/zemtool/stream_cut.h"

#include <zem/zem.h>

#include <cstdint>
#include <string>
#include <vector>

namespace zemtool {

// One of the facts under the name the JSON form has always given it.
struct NamedFact {
    const char* name;
    int64_t zem_stream_facts::*field;
};

// The facts `info --json` prints, in the order it prints them.
const std::vector<NamedFact>& ReportedFacts();

// The track that a link file selects, as the decoder clamps it to the image.
struct LinkRange {
    std::string imagePath;
    int64_t startBlock = 0;
    int64_t finishBlock = 0;
};

struct StreamReport {
    std::string file;
    zem_stream_facts facts = {};
    bool isLink = false;
    LinkRange link;
    StreamCut cut;  // set when the file ends short of its frames
};

// Opens `file` through the library and reads its facts. Returns 0 and fills
// `report`, or returns a code of tool_errors.h and fills `reason` with one
// line that says what went wrong.
int BuildStreamReport(const std::string& file, StreamReport& report, std::string& reason,
                      bool allowRemotePaths = false);

}  // namespace zemtool
