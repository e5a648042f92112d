// SPDX-License-Identifier: BSD-3-Clause
// The top-level usage, --help on every command, and unknown commands.
#include "tests/tools/zemtool_harness.h"
#include "tools/zemtool/usage_text.h"
#include "tools/zemtool/zemtool.h"

#include <gtest/gtest.h>

namespace tool_tests {
namespace {

TEST(UsageTest, HelpPrintsTheUsageOnStandardOutput) {
    for (const char* help : {"--help", "-h", "help"}) {
        const RunResult result = RunTool({help});
        EXPECT_EQ(result.exitCode, ZEMTOOL_OK);
        EXPECT_EQ(result.out, zemtool::kToolUsage);
        EXPECT_EQ(result.err, "");
    }
}

TEST(UsageTest, NoArgumentsPrintTheUsageAsAnError) {
    const RunResult result = RunTool({});
    EXPECT_EQ(result.exitCode, ZEMTOOL_USAGE);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, zemtool::kToolUsage);
}

TEST(UsageTest, UnknownCommandIsAUsageError) {
    const RunResult result = RunTool({"play", "a.zem"});
    EXPECT_EQ(result.exitCode, ZEMTOOL_USAGE);
    EXPECT_EQ(result.err, "zemtool: CODEC_BAD_ARGUMENT: unknown command 'play'\nTry 'zemtool --help'.\n");
}

TEST(UsageTest, EveryCommandHasHelpThatWinsOverEverythingElse) {
    const std::vector<std::pair<std::vector<std::string>, const char*>> cases = {
        {{"info", "--help"}, zemtool::kInfoUsage},
        {{"info", "-h", "--bogus"}, zemtool::kInfoUsage},
        {{"info", "missing.zem", "--json", "--help"}, zemtool::kInfoUsage},
        {{"tag", "--help"}, zemtool::kTagUsage},
        {{"tag", "missing.zem", "--remove", "-h"}, zemtool::kTagUsage},
        {{"links", "missing.cue", "--template", "x", "--help"}, zemtool::kLinksUsage},
    };
    for (const auto& [args, usage] : cases) {
        const RunResult result = RunTool(args);
        EXPECT_EQ(result.exitCode, ZEMTOOL_OK) << args.back();
        EXPECT_EQ(result.out, usage);
        EXPECT_EQ(result.err, "");
    }
}

TEST(UsageTest, UsageTextsNameEveryOption) {
    const std::string tool = zemtool::kToolUsage;
    for (const char* word : {"info", "tag", "--json", "--help"})
        EXPECT_NE(tool.find(word), std::string::npos) << word;
    const std::string tag = zemtool::kTagUsage;
    for (const char* word : {"--set NAME=VALUE", "--delete NAME", "--remove", "--id3v1", "[hex]"})
        EXPECT_NE(tag.find(word), std::string::npos) << word;
    EXPECT_NE(std::string(zemtool::kInfoUsage).find("--json"), std::string::npos);
}

}  // namespace
}  // namespace tool_tests
