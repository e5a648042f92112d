// SPDX-License-Identifier: BSD-3-Clause
// The options shared by the commands that decode or encode.
#pragma once

#include <string>
#include <vector>

namespace zemtool {

struct CodecOptions {
    bool help = false;
    bool quiet = false;
    bool verify = false;      // encode: decode every frame again before the file is put in place
    bool allowRemotePaths = false;  // decode, verify: link files may name network and device paths
    int threads = 0;          // 0: one per core
    int level = 2000;
    int frameBlocks = 294912;
    std::vector<std::string> files;
};

// Parses `args`; `allowEncode` admits --level, --frame-blocks and --verify,
// and without it --allow-remote-paths is taken. Returns an empty text, or
// what is wrong.
std::string ParseCodecOptions(const std::vector<std::string>& args, bool allowEncode, CodecOptions& options);

// The worker count for `threads` (0: the cores of the machine).
int WorkerCount(int threads);

}  // namespace zemtool
