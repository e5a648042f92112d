#include "tools/zemtool/decode_options.h"

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
    bool optionsEnded = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        bool option = !optionsEnded && arg.size() > 1 && arg[0] == '-';
        bool needsValue = option && (arg == "--threads" || (allowEncode && (arg == "--level" || arg == "--frame-blocks")));
        if (needsValue && i + 1 >= args.size())
            return Quoted(arg) + " needs a value";
        if (!option) {
            options.files.push_back(arg);
        } else if (arg == "--") {
            optionsEnded = true;
        } else if (arg == "-h" || arg == "--help") {
            options.help = true;
        } else if (arg == "-q" || arg == "--quiet") {
            options.quiet = true;
        } else if (arg == "--threads") {
            if (!ParseNumber(args[++i], 1, 256, options.threads))
                return "--threads takes a number from 1 to 256";
        } else if (allowEncode && arg == "--level") {
            if (!ParseNumber(args[++i], 1000, 5000, options.level) || options.level % 1000 != 0)
                return "--level takes 1000, 2000, 3000, 4000 or 5000";
        } else if (allowEncode && arg == "--frame-blocks") {
            if (!ParseNumber(args[++i], 1, 1 << 22, options.frameBlocks))
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
