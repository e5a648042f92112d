// SPDX-License-Identifier: BSD-3-Clause
#include "tools/zemfs/mount_args.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace zemfs {
namespace {

struct ArgsCase {
    std::vector<std::string> args;
    std::string problem;  // a part of it; empty when the arguments are fine
    bool foreground;
    std::vector<std::string> options;
};

TEST(MountArgsTest, ParsesSourceMountPointAndOptions) {
    const ArgsCase cases[] = {
        {{"src", "mnt"}, "", false, {}},
        {{"src", "mnt", "-f"}, "", true, {}},
        {{"-f", "src", "-o", "allow_other,uid=5", "mnt"}, "", true, {"allow_other,uid=5"}},
        {{"src", "mnt", "-oallow_other", "-d"}, "", true, {"allow_other"}},
        {{}, "no SOURCE and MOUNTPOINT", false, {}},
        {{"src"}, "no MOUNTPOINT", false, {}},
        {{"a", "b", "c"}, "unexpected argument 'c'", false, {}},
        {{"src", "mnt", "-o"}, "-o needs", false, {}},
        {{"src", "mnt", "--bogus"}, "unknown option '--bogus'", false, {}},
    };
    for (const ArgsCase& c : cases) {
        MountArgs parsed;
        const std::string problem = ParseMountArgs(c.args, &parsed);
        const std::string label = c.args.empty() ? "(none)" : c.args[0] + "...";
        if (c.problem.empty()) {
            EXPECT_EQ(problem, "") << label;
            EXPECT_EQ(parsed.source, "src") << label;
            EXPECT_EQ(parsed.mountPoint, "mnt") << label;
        } else {
            EXPECT_NE(problem.find(c.problem), std::string::npos) << label << ": " << problem;
        }
        EXPECT_EQ(parsed.foreground, c.foreground) << label;
        EXPECT_EQ(parsed.options, c.options) << label;
    }
}

TEST(MountArgsTest, KeepsItsOwnOptionsAndNeverPassesReadWrite) {
    struct {
        std::vector<std::string> args;
        std::vector<std::string> options;
        bool outside, remote, readWrite;
    } cases[] = {
        {{"src", "mnt", "-o", "allow_other,allow_outside_source"}, {"allow_other"}, true, false, false},
        {{"src", "mnt", "-oallow_remote_paths", "--allow-outside-source"}, {}, true, true, false},
        {{"src", "mnt", "-o", "rw,uid=5", "--allow-remote-paths"}, {"uid=5"}, false, true, true},
        {{"src", "mnt", "-o", "ro,rw"}, {"ro"}, false, false, true},
    };
    for (const auto& c : cases) {
        MountArgs parsed;
        EXPECT_EQ(ParseMountArgs(c.args, &parsed), "") << c.args[3];
        EXPECT_EQ(parsed.options, c.options) << c.args[3];
        EXPECT_EQ(parsed.allowOutside, c.outside) << c.args[3];
        EXPECT_EQ(parsed.allowRemote, c.remote) << c.args[3];
        EXPECT_EQ(parsed.readWriteAsked, c.readWrite) << c.args[3];
    }
}

TEST(MountArgsTest, HelpNeedsNoFolders) {
    MountArgs parsed;
    EXPECT_EQ(ParseMountArgs({"--help"}, &parsed), "");
    EXPECT_TRUE(parsed.help);
}

}  // namespace
}  // namespace zemfs
