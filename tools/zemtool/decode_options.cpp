// SPDX-License-Identifier: BSD-3-Clause
#include "tools/zemtool/decode_options.h"

#include "tools/zemtool/argument_cursor.h"
#include "tools/zemtool/tool_failure.h"

#include <cstdlib>
#include <thread>

namespace zemtool {
namespace {

// A whole decimal number within [low, high].
bool ParseNumber(const std::string& text, long low, long high, int& value) {
    if (text.empty() || text.size() > 9 || text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    long v = std::strtol(text.c_str(), nullptr, 10);
    if (v < low || v > high)
        return false;
    value = static_cast<int>(v);
    return true;
}

}  // namespace

std::string ParseCodecOptions(const std::vector<std::string>& args, bool allowEncode, CodecOptions& options) {
    ArgumentCursor cursor(args);
    std::string value;
    while (cursor.Next()) {
        const std::string& arg = cursor.Current();
        bool needsValue = cursor.Is("--threads") || (allowEncode && (cursor.Is("--level") || cursor.Is("--frame-blocks")));
        if (needsValue && !cursor.TakeValue(&value))
            return Quoted(arg) + " needs a value";
        if (!cursor.IsOption()) {
            options.files.push_back(arg);
        } else if (cursor.Is("-h", "--help")) {
            options.help = true;
        } else if (cursor.Is("-q", "--quiet")) {
            options.quiet = true;
        } else if (cursor.Is("--threads")) {
            if (!ParseNumber(value, 1, 256, options.threads))
                return "--threads takes a number from 1 to 256";
        } else if (!allowEncode && cursor.Is("--allow-remote-paths")) {
            options.allowRemotePaths = true;
        } else if (allowEncode && cursor.Is("--verify")) {
            options.verify = true;
        } else if (allowEncode && cursor.Is("--level")) {
            if (!ParseNumber(value, 1000, 5000, options.level) || options.level % 1000 != 0)
                return "--level takes 1000, 2000, 3000, 4000 or 5000";
        } else if (allowEncode && cursor.Is("--frame-blocks")) {
            if (!ParseNumber(value, 1, 1 << 22, options.frameBlocks))
                return "--frame-blocks takes a number from 1 to 4194304";
        } else {
            return "unknown option " + Quoted(arg);
        }
    }
    return {};
}

int WorkerCount(int threads) {
    if (threads > 0)
        return threads;
    unsigned cores = std::thread::hardware_concurrency();
    return cores ? static_cast<int>(cores) : 1;
}

}  // namespace zemtool
