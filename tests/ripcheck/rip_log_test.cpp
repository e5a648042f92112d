// SPDX-License-Identifier: BSD-3-Clause
// Made-up rip logs in each dialect: their CRCs, tables of contents and
// AccurateRip lines, and ripcheck's verdict against an image.
#include "tests/ripcheck/ripcheck_fixture.h"
#include "tools/zemtool/ripcheck/rip_log.h"

#include <gtest/gtest.h>

#include <random>

namespace {

using namespace ripcheck_tests;

enum class Dialect { Windows, MacOs, Yaml };

std::string SectorText(uint32_t sector, Dialect dialect) {
    char text[32];
    if (dialect == Dialect::Windows)
        std::snprintf(text, sizeof text, "%u:%02u.%02u", sector / 4500, sector / 75 % 60, sector % 75);
    else
        std::snprintf(text, sizeof text, "%02u:%02u:%02u", sector / 4500, sector / 75 % 60, sector % 75);
    return text;
}

// A log of a disc whose tracks start at `starts` and end before `end`, with these CRCs.
std::string MakeLog(Dialect dialect, const std::vector<uint32_t>& starts, uint32_t end, const std::vector<uint32_t>& crcs) {
    std::string log;
    if (dialect == Dialect::Yaml) {
        log = "Log created by: made-up ripper 0.1\nTOC:\n";
        for (size_t i = 0; i < starts.size(); ++i)
            log += "  " + std::to_string(i + 1) + ":\n    Start: " + SectorText(starts[i], dialect) +
                   "\n    Start sector: " + std::to_string(starts[i]) + "\n";
        log += "Tracks:\n";
        for (size_t i = 0; i < crcs.size(); ++i)
            log += "  " + std::to_string(i + 1) + ":\n    Filename: ./0" + std::to_string(i + 1) +
                   ".flac\n    Copy CRC: " + Hex8(crcs[i]) +
                   "\n    AccurateRip v1:\n      Result: Found, exact match\n      Remote confidence: 4\n"
                   "    AccurateRip v2:\n      Result: Not found\n    Status: Copy OK\n";
        return log + "Conclusive status report:\n  Health status: No errors occurred\n";
    }
    log = "Made-up ripper extraction log\r\n\r\nTOC of the extracted CD\r\n\r\n"
          "     Track |   Start  |  Length  | Start sector | End sector \r\n"
          "    ---------------------------------------------------------\r\n";
    for (size_t i = 0; i < starts.size(); ++i) {
        const uint32_t last = (i + 1 < starts.size() ? starts[i + 1] : end) - 1;
        log += "        " + std::to_string(i + 1) + "  | " + SectorText(starts[i], dialect) + " | " +
               SectorText(last + 1 - starts[i], dialect) + " |   " + std::to_string(starts[i]) + "    |   " +
               std::to_string(last) + "   \r\n";
    }
    for (size_t i = 0; i < crcs.size(); ++i) {
        if (dialect == Dialect::Windows)
            log += "\r\nTrack " + std::string(i < 9 ? " " : "") + std::to_string(i + 1) +
                   "\r\n\r\n     Filename C:\\Rips\\0" + std::to_string(i + 1) + ".wav\r\n\r\n     Peak level 98.0 %\r\n"
                   "     Test CRC 01234567\r\n     Copy CRC " + Hex8(crcs[i]) +
                   "\r\n     Accurately ripped (confidence 3)  [ABCDEF01]  (AR v2)\r\n     Copy OK\r\n";
        else
            log += "\r\nTrack 0" + std::to_string(i + 1) + "\r\n    Filename : /Rips/0" + std::to_string(i + 1) +
                   ".aiff\r\n    CRC32 hash (test run)  : 01234567\r\n    CRC32 hash               : " + Hex8(crcs[i]) +
                   "\r\n    CRC32 hash (skip zero)   : 76543210\r\n"
                   "        ->Accurately ripped (v1+v2, confidence 2+3/5)\r\n";
    }
    return log + "\r\nNo errors occurred\r\n";
}

testing_support::Bytes Utf16Le(const std::string& ascii) {
    testing_support::Bytes bytes{0xFF, 0xFE};
    for (char c : ascii) {
        bytes.push_back(static_cast<uint8_t>(c));
        bytes.push_back(0);
    }
    return bytes;
}

struct LogCase {
    const char* name;
    Dialect dialect;
    bool utf16;
    const char* kind;
    const char* firstAccurateRipLine;
};

class RipLogTest : public ::testing::TestWithParam<LogCase> {};

TEST_P(RipLogTest, ReadsCrcsTocAndVerdicts) {
    const LogCase& c = GetParam();
    const std::string text = MakeLog(c.dialect, {0, 23, 41}, 70, {0x1A2B3C4D, 0xDEADBEEF, 0x00000007});
    const testing_support::Bytes bytes = c.utf16 ? Utf16Le(text) : testing_support::BytesOf(text);
    const ripcheck::RipLog log = ripcheck::ParseRipLog(ripcheck::LogTextFromBytes(bytes));
    EXPECT_EQ(log.dialect, c.kind);
    ASSERT_EQ(log.tracks.size(), 3u);
    EXPECT_EQ(log.tracks.at(1).crc32, 0x1A2B3C4Du);
    EXPECT_EQ(log.tracks.at(2).crc32, 0xDEADBEEFu);
    EXPECT_EQ(log.tracks.at(3).crc32, 0x00000007u);
    EXPECT_EQ(log.tocStarts, (std::map<int, uint32_t>{{1, 0}, {2, 23}, {3, 41}}));
    ASSERT_FALSE(log.tracks.at(3).accurateRip.empty());
    EXPECT_EQ(log.tracks.at(3).accurateRip.front(), c.firstAccurateRipLine);
}

INSTANTIATE_TEST_SUITE_P(
    Dialects, RipLogTest,
    ::testing::Values(LogCase{"WindowsUtf16", Dialect::Windows, true, "text",
                              "Accurately ripped (confidence 3)  [ABCDEF01]  (AR v2)"},
                      LogCase{"Windows8Bit", Dialect::Windows, false, "text",
                              "Accurately ripped (confidence 3)  [ABCDEF01]  (AR v2)"},
                      LogCase{"MacOs", Dialect::MacOs, false, "text", "->Accurately ripped (v1+v2, confidence 2+3/5)"},
                      LogCase{"Yaml", Dialect::Yaml, false, "yaml", "AccurateRip v1 Result: Found, exact match"}),
    [](const ::testing::TestParamInfo<LogCase>& p) { return std::string(p.param.name); });

TEST(RipLogText, Latin1AndUtf8Marks) {
    EXPECT_EQ(ripcheck::LogTextFromBytes({0xEF, 0xBB, 0xBF, 'a'}), "a");
    EXPECT_EQ(ripcheck::LogTextFromBytes({'F', 0xFC, 'r'}), "F\xC3\xBCr");
    EXPECT_EQ(ripcheck::LogTextFromBytes({0xFE, 0xFF, 0x00, 'b', 0xD8, 0x3D, 0xDE, 0x00}), "b\xF0\x9F\x98\x80");
}

// The image's real CRCs, then logs that agree, disagree or describe another disc.
class ImageWithCrcs : public ::testing::Test {
protected:
    void SetUp() override {
        std::mt19937 random(5);
        words.resize(70 * 588);
        for (uint32_t& word : words)
            word = static_cast<uint32_t>(random());
        sheet = WriteImage(dir, "disc", words, starts);
        const RunResult run = RunTool({"ripcheck", "--json", sheet});
        ASSERT_EQ(run.exitCode, 0) << run.err;
        for (const std::string& crc : JsonValues(run.out, "crc32"))
            crcs.push_back(static_cast<uint32_t>(std::stoul(crc, nullptr, 16)));
        ASSERT_EQ(crcs.size(), 3u);
    }
    std::string WriteInDir(const std::string& text) {
        testing_support::WriteFileBytes(dir.File("other.txt"), testing_support::BytesOf(text));
        return dir.File("other.txt").u8string();
    }
    testing_support::TempDir dir;
    std::vector<uint32_t> words;
    std::vector<uint32_t> starts{0, 23, 41};
    std::string sheet;
    std::vector<uint32_t> crcs;
};

class LogVerdictTest : public ImageWithCrcs, public ::testing::WithParamInterface<Dialect> {};

TEST_P(LogVerdictTest, SameCrcsPassFromTheLogBesideTheSheet) {
    testing_support::WriteFileBytes(dir.File("disc.log"), testing_support::BytesOf(MakeLog(GetParam(), starts, 70, crcs)));
    const RunResult run = RunTool({"ripcheck", sheet});
    EXPECT_EQ(run.exitCode, 0) << run.out << run.err;
    EXPECT_NE(run.out.find("    2  00:00:23  00:00:18  "), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("same"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("Every check passed."), std::string::npos) << run.out;
}

TEST_P(LogVerdictTest, DifferentCrcFails) {
    std::vector<uint32_t> wrong = crcs;
    wrong[1] ^= 0x10u;
    const std::string log = WriteInDir(MakeLog(GetParam(), starts, 70, wrong));
    const RunResult run = RunTool({"ripcheck", "--json", "--log", log, sheet});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(JsonValues(run.out, "log_crc32_matches"), (std::vector<std::string>{"true", "false", "true"}));
    EXPECT_EQ(JsonValues(run.out, "passed"), (std::vector<std::string>{"true", "false", "true", "false"}));
}

TEST_P(LogVerdictTest, LogOfAnotherDiscFails) {
    const std::string log = WriteInDir(MakeLog(GetParam(), {0, 23, 44}, 70, crcs));
    const RunResult run = RunTool({"ripcheck", "--log", log, sheet});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.out.find("the log is for another disc: track 3 starts at sector 44 there, at 41 in the sheet"),
              std::string::npos)
        << run.out;
}

// A whole-image rip's log: one CRC for the image, the tracks' database results listed after it.
TEST_F(ImageWithCrcs, RangeLogComparesTheImageCrc) {
    uint32_t crc = 0xFFFFFFFFu;
    for (uint32_t word : words) {
        for (int byte = 0; byte < 4; ++byte) {
            crc ^= (word >> (8 * byte)) & 0xFFu;
            for (int bit = 0; bit < 8; ++bit)
                crc = (crc >> 1) ^ ((crc & 1u) ? 0xEDB88320u : 0u);
        }
    }
    for (uint32_t logged : {~crc, ~crc ^ 1u}) {
        std::string log = MakeLog(Dialect::Windows, starts, 70, {});
        log = log.substr(0, log.find("\r\nNo errors")) +
              "\r\nRange status and errors\r\n\r\nSelected range\r\n\r\n     Filename C:\\Rips\\disc.wav\r\n\r\n"
              "     Peak level 100.0 %\r\n     Copy CRC " + Hex8(logged) + "\r\n     Copy OK\r\n\r\n"
              "AccurateRip summary\r\n\r\nTrack  2  accurately ripped (confidence 4)  [0BADF00D]  (AR v2)\r\n";
        const RunResult run = RunTool({"ripcheck", "--json", "--log", WriteInDir(log), sheet});
        EXPECT_EQ(run.exitCode, logged == ~crc ? 0 : 1) << run.out;
        EXPECT_EQ(JsonValues(run.out, "range_crc32_matches"), std::vector<std::string>{logged == ~crc ? "true" : "false"});
        EXPECT_NE(run.out.find("\"log_accuraterip\": [\"accurately ripped (confidence 4)  [0BADF00D]  (AR v2)\"]"),
                  std::string::npos)
            << run.out;
    }
}

INSTANTIATE_TEST_SUITE_P(Dialects, LogVerdictTest, ::testing::Values(Dialect::Windows, Dialect::MacOs, Dialect::Yaml));

}  // namespace
