// SPDX-License-Identifier: BSD-3-Clause
// The database's binary answers, parsed and matched without a network (the
// loopback server's test, lookup_test.py, takes the HTTP path).
#include "tests/ripcheck/ripcheck_fixture.h"
#include "tools/zemtool/ripcheck/database_response.h"

#include <gtest/gtest.h>

namespace {

using namespace ripcheck_tests;

const ripcheck::AccurateRipIds kIds{2, 0x11223344u, 0x55667788u, 0x0400a002u};

void Put32(std::vector<uint8_t>& out, uint32_t value) {
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

std::vector<uint8_t> Block(const ripcheck::AccurateRipIds& ids, const std::vector<std::pair<uint8_t, uint32_t>>& tracks) {
    std::vector<uint8_t> bytes{static_cast<uint8_t>(ids.tracks)};
    Put32(bytes, ids.id1);
    Put32(bytes, ids.id2);
    Put32(bytes, ids.cddb);
    for (const auto& track : tracks) {
        bytes.push_back(track.first);
        Put32(bytes, track.second);
        Put32(bytes, 0xFFFFFFFFu);
    }
    return bytes;
}

TEST(DatabaseResponse, PressingsAreMatchedAndSummed) {
    std::vector<uint8_t> bytes = Block(kIds, {{3, 0xAAAA0001u}, {200, 0xBBBB0002u}});
    const std::vector<uint8_t> second = Block(kIds, {{4, 0xAAAA0002u}, {1, 0x1u}});
    const std::vector<uint8_t> other = Block({2, 1, 2, 3}, {{90, 0xAAAA0001u}, {90, 0xBBBB0002u}});
    bytes.insert(bytes.end(), second.begin(), second.end());
    bytes.insert(bytes.end(), other.begin(), other.end());
    std::vector<ripcheck::Pressing> pressings;
    std::string problem;
    ASSERT_TRUE(ripcheck::ParseDatabaseResponse(bytes, &pressings, &problem)) << problem;
    ASSERT_EQ(pressings.size(), 3u);
    EXPECT_EQ(pressings[0].tracks[1].confidence, 200u);
    // Track 1: v1 in the first pressing, v2 in the second; the other disc's block does not count.
    const ripcheck::TrackMatch first = ripcheck::MatchTrack(pressings, kIds, 0, 0xAAAA0001u, 0xAAAA0002u);
    EXPECT_TRUE(first.matched);
    EXPECT_EQ(first.version, 2);
    EXPECT_EQ(first.confidence, 7u);
    EXPECT_EQ(first.pressings, 2u);
    const ripcheck::TrackMatch none = ripcheck::MatchTrack(pressings, kIds, 1, 0xBBBB0003u, 0xBBBB0004u);
    EXPECT_FALSE(none.matched);
    EXPECT_EQ(none.confidence, 0u);
}

struct DamagedCase {
    const char* name;
    size_t keep;  // bytes of a two-track block kept
    const char* problem;
};

class DamagedResponseTest : public ::testing::TestWithParam<DamagedCase> {};

TEST_P(DamagedResponseTest, IsRefusedWithTheReason) {
    std::vector<uint8_t> bytes = Block(kIds, {{1, 1u}, {2, 2u}});
    bytes.resize(GetParam().keep);
    std::vector<ripcheck::Pressing> pressings;
    std::string problem;
    EXPECT_FALSE(ripcheck::ParseDatabaseResponse(bytes, &pressings, &problem));
    EXPECT_NE(problem.find(GetParam().problem), std::string::npos) << problem;
}

INSTANTIATE_TEST_SUITE_P(Cut, DamagedResponseTest,
                         ::testing::Values(DamagedCase{"Empty", 0, "empty"},
                                           DamagedCase{"InTheHeader", 12, "inside a pressing's header"},
                                           DamagedCase{"InTheTracks", 13 + 9 + 8, "inside the tracks of pressing 1"}),
                         [](const ::testing::TestParamInfo<DamagedCase>& p) { return std::string(p.param.name); });

TEST(DatabaseResponse, PathFollowsTheIds) {
    EXPECT_EQ(ripcheck::DatabasePath(kIds), "/accuraterip/4/4/3/dBAR-002-11223344-55667788-0400a002.bin");
}

TEST(RipcheckLookup, SaysWhenThisBuildCannot) {
#ifdef ZEM_HAVE_CURL
    GTEST_SKIP() << "this build has an HTTP client; lookup_test.py asks a loopback server";
#else
    testing_support::TempDir dir;
    const std::string sheet = WriteImage(dir, "disc", std::vector<uint32_t>(588 * 8, 0x00030004u), {0});
    const RunResult run = RunTool({"ripcheck", "--lookup", sheet});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.out.find("--lookup is not available in this build"), std::string::npos) << run.out;
#endif
}

}  // namespace
