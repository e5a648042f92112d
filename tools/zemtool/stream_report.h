// SPDX-License-Identifier: BSD-3-Clause
// Everything `zemtool info` prints about one file, gathered in one place so
// that the text and the JSON forms show the same answers.
#pragma once

#include "decode/decoder_factory.h"
#include "tools/zemtool/stream_cut.h"

#include <cstdint>
#include <string>
#include <vector>

namespace zem {
class CDecoder;
}

namespace zemtool {

// Until these files read through <zem/zem.h>, they name the codec's classes.
using namespace zem;

struct QueryAnswer {
    const char* name;  // the query's name, as in the InfoId enumeration
    int id;
    int64_t value;
};

// The track that a link file selects, as the decoder clamps it to the image.
struct LinkRange {
    std::string imagePath;
    int64_t startBlock = 0;
    int64_t finishBlock = 0;
};

struct StreamReport {
    std::string file;
    std::vector<QueryAnswer> answers;  // in InfoId order
    bool isLink = false;
    LinkRange link;
    StreamCut cut;  // set when the file ends short of its frames

    // The answer to query `id`; -1 when it was not asked.
    int64_t Answer(int id) const;
};

// Opens `file` through the decoder factory and asks every whole-stream query.
// Returns 0 and fills `report`, or returns the library's error and fills
// `reason` with one line that says what went wrong.
int BuildStreamReport(const std::string& file, StreamReport& report, std::string& reason,
                      const OpenOptions& options = OpenOptions());

}  // namespace zemtool
