// SPDX-License-Identifier: BSD-3-Clause
#include "tools/zemfs/source_access.h"

#include <gtest/gtest.h>

namespace zemfs {
namespace {

TEST(SourceAccessTest, NetworkAndDevicePathsByTheirTwoSeparators) {
    const struct {
        const char* path;
        bool remote;
    } cases[] = {{"\\\\host\\share\\x.zem", true}, {"\\\\.\\PhysicalDrive0", true}, {"\\\\?\\C:\\x.zem", true},
                 {"//host/share/x.zem", true},      {"/\\host\\x", true},            {"/music/x.zem", false},
                 {"\\music\\x.zem", false},         {"C:\\x.zem", false},            {"x.zem", false},
                 {"", false}};
    for (const auto& c : cases)
        EXPECT_EQ(IsRemotePath(c.path), c.remote) << c.path;
}

TEST(SourceAccessTest, InsideSourceAsTheTextGoes) {
    const struct {
        const char* path;
        bool inside;
    } cases[] = {{"/src/a.zem", true},       {"/src/sub/../a.zem", true}, {"/src/./sub//a.zem", true},
                 {"/src", true},             {"/src/../a.zem", false},    {"/src/sub/../../etc/x", false},
                 {"/srcfoo/a.zem", false},   {"/etc/x.zem", false},       {"src/a.zem", false},
                 {"/src/../src/a.zem", true}, {"C:/Music/a.zem", false}};
    for (const auto& c : cases)
        EXPECT_EQ(LiesInside("/src/", c.path), c.inside) << c.path;
    EXPECT_EQ(NormalPath("/a/./b/../../../c//d/"), "/c/d");
    EXPECT_TRUE(LiesInside("/", "/anything/at/all"));
}

struct stat Status(mode_t mode, uid_t uid, gid_t gid) {
    struct stat status = {};
    status.st_mode = mode;
    status.st_uid = uid;
    status.st_gid = gid;
    return status;
}

TEST(SourceAccessTest, AMadeFileShowsNoMoreThanItsSourceLets) {
    const struct {
        mode_t shown;
        uid_t shownUid;
        gid_t shownGid;
        mode_t source;
        uid_t sourceUid;
        gid_t sourceGid;
        mode_t narrowed;
    } cases[] = {
        {0644, 1, 1, 0600, 1, 1, 0600},  // a private image behind a readable link
        {0644, 1, 1, 0644, 1, 1, 0644},
        {0444, 1, 1, 0640, 1, 1, 0440},
        {0644, 1, 1, 0640, 1, 2, 0600},  // another group: its members may be anyone to the image
        {0644, 1, 1, 0604, 2, 1, 0004},  // another owner, who may be in the made file's group or its others
        {0644, 1, 1, 0664, 2, 1, 0444},  // the made file's owner may be outside the image's group
        {0755, 1, 1, 0777, 2, 2, 0755},
    };
    for (const auto& c : cases) {
        const mode_t got = NarrowMode(Status(S_IFREG | c.shown, c.shownUid, c.shownGid),
                                      Status(S_IFREG | c.source, c.sourceUid, c.sourceGid));
        EXPECT_EQ(got, S_IFREG | c.narrowed) << std::oct << c.shown << " " << c.source;
    }
}

}  // namespace
}  // namespace zemfs
