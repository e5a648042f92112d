// SPDX-License-Identifier: BSD-3-Clause
// Commands over many files: outputs beside the inputs or in another folder,
// a failing input among good ones, --delete-input and its check; batch job
// lines and their shares.
#include "tests/support/wave_fixture.h"
#include "tests/tools/zemtool_harness.h"
#include "tools/zemtool/batch_jobs.h"
#include "tools/zemtool/convert/loudness.h"
#include "tools/zemtool/json_reader.h"
#include "tools/zemtool/json_writer.h"
#include "tools/zemtool/leftover_partials.h"
#include "tools/zemtool/output_check.h"
#include "tools/zemtool/zemtool.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace tool_tests {
namespace {

using namespace testing_support;
namespace fs = std::filesystem;

class ManyFiles : public ::testing::Test {
protected:
    void SetUp() override {
        for (uint32_t seed = 1; seed <= 3; ++seed) {
            WaveShape shape;
            shape.blocks = 3000 + seed * 100;
            shape.seed = seed;
            waves.push_back(BuildWave(shape));
        }
        fs::create_directories(dir.File("sub"));
        names = {"a.wav", "b.wav", "sub/c.wav"};
        for (size_t i = 0; i < names.size(); ++i)
            WriteIn(dir, names[i], waves[i]);
    }

    std::string Path(const std::string& name) const { return PathIn(dir, name); }

    TempDir dir;
    std::vector<Bytes> waves;
    std::vector<std::string> names;
};

TEST_F(ManyFiles, OutputsGoBesideTheInputsOrIntoTheOutputFolder) {
    RunResult beside = RunTool({"encode", "-q", "--frame-blocks", "1024", Path("a.wav"), Path("b.wav")});
    ASSERT_EQ(ZEMTOOL_OK, beside.exitCode) << beside.err;
    EXPECT_EQ(DecodeToWave(ReadFileBytes(dir.File("a.zem"))), waves[0]);
    EXPECT_EQ(DecodeToWave(ReadFileBytes(dir.File("b.zem"))), waves[1]);

    // A folder's files keep their places below the output folder.
    RunResult tree = RunTool({"encode", "-q", "--jobs", "2", "--output-dir", Path("out"), "-r", Path("")});
    ASSERT_EQ(ZEMTOOL_OK, tree.exitCode) << tree.err;
    for (size_t i = 0; i < names.size(); ++i)
        EXPECT_EQ(DecodeToWave(ReadFileBytes(dir.File("out/" + names[i].substr(0, names[i].size() - 4) + ".zem"))),
                  waves[i])
            << names[i];

    RunResult back = RunTool({"decode", "-q", "--output-dir", Path("back"), Path("out/a.zem"), Path("out/sub/c.zem")});
    ASSERT_EQ(ZEMTOOL_OK, back.exitCode) << back.err;
    EXPECT_EQ(waves[0], ReadFileBytes(dir.File("back/a.wav")));
    EXPECT_EQ(waves[2], ReadFileBytes(dir.File("back/c.wav")));

    // An output that exists is skipped, and replaced with --force.
    WriteIn(dir, "back/a.wav", BytesOf("old"));
    RunResult skipped = RunTool({"decode", "--output-dir", Path("back"), Path("out/a.zem")});
    EXPECT_EQ(ZEMTOOL_OK, skipped.exitCode);
    EXPECT_NE(std::string::npos, skipped.err.find("0 done, 0 failed, 1 skipped")) << skipped.err;
    EXPECT_EQ(BytesOf("old"), ReadFileBytes(dir.File("back/a.wav")));
    EXPECT_EQ(ZEMTOOL_OK, RunTool({"decode", "-q", "-f", "--output-dir", Path("back"), Path("out/a.zem")}).exitCode);
    EXPECT_EQ(waves[0], ReadFileBytes(dir.File("back/a.wav")));
}

TEST_F(ManyFiles, OneFailingInputDoesNotStopTheOthers) {
    WriteIn(dir, "bad.wav", BytesOf("no wave"));
    RunResult r = RunTool({"encode", "--jobs", "2", Path("a.wav"), Path("bad.wav"), Path("b.wav")});
    EXPECT_EQ(ZEMTOOL_FAILED, r.exitCode);
    EXPECT_TRUE(fs::exists(dir.File("a.zem")));
    EXPECT_TRUE(fs::exists(dir.File("b.zem")));
    EXPECT_FALSE(fs::exists(dir.File("bad.zem")));
    EXPECT_NE(std::string::npos, r.err.find("zemtool: failed: " + Path("bad.wav") + ": CODEC_BAD_INPUT: ")) << r.err;
    EXPECT_NE(std::string::npos, r.err.find("3 files: 2 done, 1 failed, 0 skipped")) << r.err;

    RunResult verify = RunTool({"verify", "-q", Path("a.zem"), Path("missing.zem"), Path("b.zem")});
    EXPECT_EQ(ZEMTOOL_FAILED, verify.exitCode);
    EXPECT_EQ((std::vector<std::string>{Path("a.zem") + ": ok, 3100 blocks", Path("b.zem") + ": ok, 3200 blocks"}),
              Lines(verify.out));

    RunResult info = RunTool({"info", "--json", Path("a.zem"), Path("b.zem")});
    ASSERT_EQ(ZEMTOOL_OK, info.exitCode) << info.err;
    const std::vector<std::string> lines = Lines(info.out);
    ASSERT_EQ(2u, lines.size());
    for (const std::string& line : lines) {
        std::map<std::string, JsonValue> members;
        std::vector<std::string> order;
        EXPECT_TRUE(ParseFlatJson(line, members, order)) << line;
    }
}

TEST_F(ManyFiles, DeleteInputOnlyAfterTheOutputComesBackWhole) {
    RunResult r = RunTool({"encode", "-q", "--delete-input", Path("a.wav")});
    ASSERT_EQ(ZEMTOOL_OK, r.exitCode) << r.err;
    EXPECT_FALSE(fs::exists(dir.File("a.wav")));
    EXPECT_EQ(DecodeToWave(ReadFileBytes(dir.File("a.zem"))), waves[0]);

    // The check compares the whole decoded file: a stream of other audio keeps the input.
    std::string why;
    EXPECT_FALSE(zemtool::DeleteInputAfterCheck(Path("b.wav"), Path("a.zem"), true, 1, &why));
    EXPECT_NE(std::string::npos, why.find("does not decode to the bytes of")) << why;
    EXPECT_EQ(waves[1], ReadFileBytes(dir.File("b.wav")));
    EXPECT_FALSE(zemtool::DeleteInputAfterCheck(Path("a.zem"), Path("b.wav"), false, 1, &why));
    EXPECT_TRUE(fs::exists(dir.File("a.zem")));

    // A stream with a damaged frame decodes with fill: it fails and stays.
    Bytes damaged = ReadFileBytes(dir.File("a.zem"));
    damaged[damaged.size() - 100] ^= 0x40;
    WriteIn(dir, "damaged.zem", damaged);
    RunResult bad = RunTool({"decode", "-q", "--delete-input", Path("damaged.zem")});
    EXPECT_EQ(ZEMTOOL_FAILED, bad.exitCode);
    EXPECT_TRUE(fs::exists(dir.File("damaged.zem")));
}

TEST_F(ManyFiles, BatchReportsAMalformedLineByNumberAndRunsTheRest) {
    ASSERT_EQ(ZEMTOOL_OK, RunTool({"encode", "-q", Path("a.wav"), Path("b.wav")}).exitCode);
    const std::string jobs = "{\"command\": \"verify\", \"input\": " + zemtool::JsonQuote(Path("a.zem")) +
                             "}\n{\"command\": \"verify\", \"input\": }\n\n{\"command\": \"decode\", \"input\": " +
                             zemtool::JsonQuote(Path("b.zem")) + ", \"output\": " +
                             zemtool::JsonQuote(Path("new/b.wav")) + "}\n";
    RunResult r = RunTool({"batch", "-q", WriteIn(dir, "jobs.jsonl", BytesOf(jobs))});
    EXPECT_EQ(ZEMTOOL_FAILED, r.exitCode);
    EXPECT_NE(std::string::npos, r.err.find("jobs.jsonl line 2: expected a value at column 32")) << r.err;
    EXPECT_NE(std::string::npos, r.out.find("{\"job\": 1, \"command\": \"verify\"")) << r.out;
    EXPECT_NE(std::string::npos, r.out.find("{\"job\": 2, \"status\": \"failed\"")) << r.out;
    EXPECT_NE(std::string::npos, r.out.find("{\"job\": 4, \"command\": \"decode\"")) << r.out;
    EXPECT_EQ(3u, Lines(r.out).size());
    EXPECT_EQ(waves[1], ReadFileBytes(dir.File("new/b.wav")));
}

// A tree with a sheet's image (a.cue beside a.zem), streams without a sheet
// and a damaged stream, as convert, gain and ripcheck find it with -r.
TEST_F(ManyFiles, ConvertGainAndRipcheckTakeATreeAndGoOnPastAFailure) {
    ASSERT_EQ(ZEMTOOL_OK, RunTool({"encode", "-q", "-r", Path("")}).exitCode);
    WriteIn(dir, "a.cue", BytesOf("PERFORMER \"P\"\nTITLE \"L\"\nFILE \"a.zem\" WAVE\n  TRACK 01 AUDIO\n    TITLE \"T\"\n"
                                  "    INDEX 01 00:00:00\n"));
    WriteIn(dir, "bad.zem", BytesOf("no stream"));
    // Left by a killed run: removed; another file's temporary file stays.
    fs::create_directories(dir.File("out"));
    for (const char* name : {"b.wav.0123abcd.partial", "b.wav.partial", "x.wav.partial"})
        WriteIn(dir, std::string("out/") + name, BytesOf("half"));

    RunResult convert = RunTool({"convert", "--to", "wav", "--jobs", "2", "--output-dir", Path("out"), "-r", Path("")});
    EXPECT_EQ(ZEMTOOL_FAILED, convert.exitCode);
    EXPECT_NE(std::string::npos, convert.err.find("zemtool: failed: " + Path("bad.zem") + ": ")) << convert.err;
    EXPECT_NE(std::string::npos, convert.err.find("4 files: 3 done, 1 failed, 0 skipped")) << convert.err;
    EXPECT_EQ(waves[1], ReadFileBytes(dir.File("out/b.wav")));
    EXPECT_EQ(waves[2], ReadFileBytes(dir.File("out/sub/c.wav")));
    std::vector<std::string> written;
    for (const auto& entry : fs::directory_iterator(dir.File("out")))
        written.push_back(entry.path().filename().string());
    std::sort(written.begin(), written.end());
    EXPECT_EQ((std::vector<std::string>{"P - L - 01 - T.wav", "b.wav", "sub", "x.wav.partial"}), written);

    RunResult ripcheck = RunTool({"ripcheck", "--json", "-r", Path("")});
    EXPECT_EQ(ZEMTOOL_FAILED, ripcheck.exitCode);
    EXPECT_NE(std::string::npos, ripcheck.err.find("4 files: 1 done, 1 failed, 2 skipped")) << ripcheck.err;
    ASSERT_EQ(1u, Lines(ripcheck.out).size()) << ripcheck.out;
    EXPECT_EQ(0u, ripcheck.out.find("{\"file\": " + zemtool::JsonQuote(Path("a.cue")) + ", \"disc\": {\"tracks\": 1"))
        << ripcheck.out;

    if (zemtool::kHaveLoudness) {
        RunResult gain = RunTool({"gain", "--dry-run", Path("b.zem"), Path("bad.zem"), Path("sub/c.zem")});
        EXPECT_EQ(ZEMTOOL_FAILED, gain.exitCode);
        EXPECT_NE(std::string::npos, gain.err.find("3 files: 2 done, 1 failed")) << gain.err;
        EXPECT_EQ(2u, Lines(gain.out).size()) << gain.out;
    }

    const std::string jobs = "{\"command\": \"ripcheck\", \"input\": " + zemtool::JsonQuote(Path("a.cue")) +
                             "}\n{\"command\": \"convert\", \"input\": " + zemtool::JsonQuote(Path("b.zem")) +
                             ", \"to\": \"wav\", \"output_dir\": " + zemtool::JsonQuote(Path("job")) + "}\n";
    RunResult batch = RunTool({"batch", "-q", WriteIn(dir, "jobs.jsonl", BytesOf(jobs))});
    EXPECT_EQ(ZEMTOOL_OK, batch.exitCode) << batch.err;
    EXPECT_NE(std::string::npos, batch.out.find(", \"report\": \"{\\\"disc\\\": {\\\"tracks\\\": 1")) << batch.out;
    EXPECT_NE(std::string::npos, batch.out.find("\"output_dir\": ")) << batch.out;
    EXPECT_NE(std::string::npos, batch.out.find("b.wav\"}\n")) << batch.out;  // the report: the file written
    EXPECT_EQ(waves[1], ReadFileBytes(dir.File("job/b.wav")));
}

TEST(LeftoverPartials, TheOutputEachTemporaryFileBelongsTo) {
    const std::pair<const char*, const char*> cases[] = {
        {"a.zem.0123abcd.partial", "a.zem"},
        {"a.flac.partial", "a.flac"},
        {"a.zem.partial.pcm.partial", "a.zem"},
        {"a.zem.partial.89abcdef.partial", "a.zem"},
        {"a.pcm.partial", "a.pcm"},
        {"a.zem.0123ABCD.partial", "a.zem.0123ABCD"},
        {"a.zem.0123abc.partial", "a.zem.0123abc"},
        {"a.zem", ""},
        {".partial", ""},
    };
    for (const auto& [name, target] : cases)
        EXPECT_EQ(target, zemtool::PartialTarget(name)) << name;
}

TEST(BatchJobLines, StrictReadingOfEachLine) {
    struct Case {
        const char* line;
        const char* problem;  // empty: a job
    } cases[] = {
        {R"({"command": "verify", "input": "a.zem"})", ""},
        {R"( {"input": "a\u00e9\ud83c\udfb5.wav", "command": "encode", "level": 4000} )", ""},
        {R"({"command": "verify", "input": "a.zem",})", "expected a string at column 40"},
        {R"({"command": "verify", "input": "a.zem"} x)", "text after the object at column 41"},
        {R"({"command": "verify", "input": ["a"]})", "nested objects and arrays are not taken at column 32"},
        {R"({"command": "verify", "input": "a.zem", "input": "b"})", "the key \"input\" appears twice"},
        {R"({"command": "verify", "input": "a\ud800"})", "a high surrogate without its low one"},
        {R"({"command": "encode", "input": "a.wav", "level": 4500})", "\"level\" takes 1000"},
        {R"({"command": "verify", "input": "a.zem", "level": 4000})", "verify takes no \"level\""},
        {R"({"command": "convert", "input": "a.cue", "to": "zem", "level": 4000, "output_dir": "z"})", ""},
        {R"({"command": "tag", "input": "a.zem"})", "unknown command \"tag\""},
        {R"({"command": "convert", "input": "a.cue", "to": "ogg"})", "\"to\" takes \"flac\""},
        {R"({"command": "convert", "input": "a.cue", "level": 4000})", "convert takes no \"level\" unless"},
        {R"({"command": "gain", "input": "a.zem", "output": "b"})", "gain takes no \"output\""},
        {R"({"command": "ripcheck", "input": "a.cue", "to": "wav"})", "ripcheck takes no \"to\""},
        {R"({"command": "verify", "inptu": "a.zem"})", "unknown member \"inptu\""},
        {R"({"command": "verify"})", "no \"input\""},
        {R"({"command": "verify", "input": 12})", "\"input\" takes a string"},
        {"{\"command\": \"verify\", \"input\": \"a\tb\"}", "a control character inside a string at column 34"},
    };
    for (const Case& c : cases) {
        zemtool::JsonObject object;
        zemtool::BatchJob job;
        std::string problem;
        const bool ok = zemtool::ParseJsonObject(c.line, &object, &problem) &&
                        zemtool::JobFromObject(object, false, &job, &problem);
        EXPECT_EQ(std::string(c.problem).empty(), ok) << c.line << ": " << problem;
        if (!ok) {
            EXPECT_EQ(0u, problem.find(c.problem)) << c.line << ": " << problem;
        }
    }
    zemtool::JsonObject object;
    zemtool::BatchJob job;
    std::string problem;
    ASSERT_TRUE(zemtool::ParseJsonObject(cases[1].line, &object, &problem));
    ASSERT_TRUE(zemtool::JobFromObject(object, false, &job, &problem));
    EXPECT_EQ("a\xC3\xA9\xF0\x9F\x8E\xB5.wav", job.input);
    EXPECT_EQ("a\xC3\xA9\xF0\x9F\x8E\xB5.zem", job.output);  // beside the input when not named
    EXPECT_EQ(4000, job.level);
}

TEST(BatchJobLines, SharesFollowTheInputsHash) {
    EXPECT_EQ(0xcbf29ce484222325u, zemtool::Fnv1a(""));
    EXPECT_EQ(0xaf63dc4c8601ec8cu, zemtool::Fnv1a("a"));
    EXPECT_EQ(0x85944171f73967e8u, zemtool::Fnv1a("foobar"));
    for (const char* input : {"", "a", "foobar", "x/y.zem"}) {
        int takers = 0;
        for (int share = 0; share < 3; ++share)
            takers += zemtool::InShard(input, share, 3) ? 1 : 0;
        EXPECT_EQ(1, takers) << input;
    }
}

}  // namespace
}  // namespace tool_tests
