// SPDX-License-Identifier: BSD-3-Clause
// zemtool as a process: careful with the user's files (inputs never written,
// outputs whole or not at all, links and FIFOs not followed where they do
// harm) and plain about failures (which file, what, and the system's reason).
#ifndef _WIN32
#include "container/info_id.h"
#include "container/stream_info.h"
#include "io/memory_stream.h"
#include "tests/support/wave_fixture.h"
#include "tests/tools/zemtool_harness.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <functional>
#include <set>
#include <sys/mount.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using namespace zem;

namespace tool_tests {
namespace {

using namespace testing_support;
namespace fs = std::filesystem;

// The names in a folder, but for the harness's own capture files.
std::set<std::string> Names(const fs::path& folder) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind("process-", 0) != 0)
            names.insert(name);
    }
    return names;
}

Bytes TestWave(uint32_t blocks) {
    WaveShape shape;
    shape.blocks = blocks;
    return BuildWave(shape);
}

// The files every case starts from.
struct Files {
    TempDir dir;
    Bytes wave = TestWave(10000);
    Bytes stream = EncodeWaveBytes(wave, 2000, 1024);
    std::string wav = WriteIn(dir, "in.wav", wave);
    std::string zem = WriteIn(dir, "a.zem", stream);

    Bytes cut;

    std::string Path(const std::string& name) const { return PathIn(dir, name); }
    // The stream cut inside frame 3, 10 bytes into it.
    std::string CutStream() {
        CMemoryStream io(stream, true);
        CStreamInfo info(&io, nullptr);
        cut.assign(stream.begin(), stream.begin() + info.GetInfo(SeekByte, 3) + 10);
        return WriteIn(dir, "cut.zem", cut);
    }
};

struct Case {
    const char* name;
    std::function<std::vector<std::string>(Files&)> prepare;  // makes the files, gives the arguments
    Stream out;
    Stream err;
    int exitCode;
    std::string errPart;
    std::function<void(Files&)> check;
};

void Unchanged(Files& f) {
    EXPECT_EQ(f.wave, ReadFileBytes(f.dir.File("in.wav")));
    EXPECT_EQ(f.stream, ReadFileBytes(f.dir.File("a.zem")));
}

std::vector<std::string> SameFileArgs(Files& f, const std::string& command, const std::string& input,
                                      const std::string& output) {
    fs::create_hard_link(f.dir.File(input), f.dir.File("hard"));
    fs::create_symlink(f.dir.File(input), f.dir.File("soft"));
    return {command, "-q", f.Path(input), f.Path(output)};
}

TEST(FileSafety, CommandLineCases) {
    const std::string space = "No space left on device";
    const Case cases[] = {
        {"decode to a closed standard output leaves the input alone",
         [](Files& f) { return std::vector<std::string>{"decode", "-q", f.zem, "-"}; }, Stream::Closed,
         Stream::Captured, 1, "cannot write to standard output: Bad file descriptor", Unchanged},
        {"decode of a damaged file with standard error closed leaves it alone",
         [](Files& f) { return std::vector<std::string>{"decode", "-q", f.CutStream(), f.Path("o.wav")}; },
         Stream::Captured, Stream::Closed, 1, "",
         [](Files& f) { EXPECT_EQ(f.cut, ReadFileBytes(f.dir.File("cut.zem"))); }},
        // The digest thread must not keep a writer that gave up waiting.
        {"decode on one thread to a full standard output fails",
         [](Files& f) { return std::vector<std::string>{"decode", "-q", "--threads", "1", f.zem, "-"}; },
         Stream::DevFull, Stream::Captured, 1, "cannot write to standard output: " + space, Unchanged},
        {"decode on two threads to a full standard output fails",
         [](Files& f) { return std::vector<std::string>{"decode", "-q", "--threads", "2", f.zem, "-"}; },
         Stream::DevFull, Stream::Captured, 1, "cannot write to standard output: " + space, Unchanged},
        {"info to a full standard output fails",
         [](Files& f) { return std::vector<std::string>{"info", f.zem}; }, Stream::DevFull, Stream::Captured, 1,
         "cannot write to standard output: " + space, nullptr},
        {"tag listing to a full standard output fails",
         [](Files& f) {
             EXPECT_EQ(0, RunTool({"tag", f.zem, "--set", "Title=x"}).exitCode);
             return std::vector<std::string>{"tag", f.zem};
         },
         Stream::DevFull, Stream::Captured, 1, "cannot write to standard output: " + space, nullptr},
        {"encode does not follow a link planted at a temporary name",
         [](Files& f) {
             WriteFileBytes(f.dir.File("victim.txt"), BytesOf("victim"));
             fs::create_symlink(f.dir.File("victim.txt"), f.dir.File("out.zem.partial"));
             return std::vector<std::string>{"encode", "-q", "--frame-blocks", "1024", f.wav, f.Path("out.zem")};
         },
         Stream::Captured, Stream::Captured, 0, "",
         [](Files& f) {
             EXPECT_EQ(BytesOf("victim"), ReadFileBytes(f.dir.File("victim.txt")));
             EXPECT_EQ(f.stream, ReadFileBytes(f.dir.File("out.zem")));
             EXPECT_EQ((std::set<std::string>{"a.zem", "in.wav", "out.zem", "out.zem.partial", "victim.txt"}),
                       Names(f.dir.Path()));
         }},
        {"encode onto its input is refused",
         [](Files& f) { return std::vector<std::string>{"encode", "-q", f.wav, f.wav}; }, Stream::Captured,
         Stream::Captured, 1, "is the input file", Unchanged},
        {"encode onto a hard link to its input is refused",
         [](Files& f) { return SameFileArgs(f, "encode", "in.wav", "hard"); }, Stream::Captured, Stream::Captured, 1,
         "the output '", Unchanged},
        {"decode onto a symbolic link to its input is refused",
         [](Files& f) { return SameFileArgs(f, "decode", "a.zem", "soft"); }, Stream::Captured, Stream::Captured, 1,
         "is the input file", Unchanged},
        {"decode onto the image of its link file is refused",
         [](Files& f) {
             WriteIn(f.dir, "t.zlk", LinkText("a.zem", 0, 100));
             return std::vector<std::string>{"decode", "-q", f.Path("t.zlk"), f.zem};
         },
         Stream::Captured, Stream::Captured, 1, "is the image that", Unchanged},
        {"a link whose image is a FIFO is refused at once",
         [](Files& f) {
             mkfifo(f.dir.File("pipe.zem").c_str(), 0600);
             WriteIn(f.dir, "t.zlk", LinkText("pipe.zem", 0, -1));
             return std::vector<std::string>{"info", f.Path("t.zlk")};
         },
         Stream::Captured, Stream::Captured, 1, "pipe.zem' named by '", nullptr},
        {"a FIFO given as input is refused at once",
         [](Files& f) {
             mkfifo(f.dir.File("pipe.zem").c_str(), 0600);
             return std::vector<std::string>{"decode", "-q", f.Path("pipe.zem"), f.Path("o.wav")};
         },
         Stream::Captured, Stream::Captured, 1, "pipe.zem': it is not a regular file",
         [](Files& f) { EXPECT_FALSE(fs::exists(f.dir.File("o.wav"))); }},
        {"an output in a missing folder names the file and the reason",
         [](Files& f) { return std::vector<std::string>{"encode", "-q", f.wav, f.Path("nodir/x.zem")}; },
         Stream::Captured, Stream::Captured, 1, "x.zem': No such file or directory", nullptr},
        {"a file cut short says where it ends",
         [](Files& f) { return std::vector<std::string>{"verify", "-q", f.CutStream()}; }, Stream::Captured,
         Stream::Captured, 1, "cut.zem: the file ends at byte ", nullptr},
        {"info on a header without frames says it holds no audio",
         [](Files& f) {
             CMemoryStream io(f.stream, true);
             CStreamInfo info(&io, nullptr);
             const Bytes header(f.stream.begin(), f.stream.begin() + info.GetInfo(SeekByte, 0));
             return std::vector<std::string>{"info", WriteIn(f.dir, "header.zem", header)};
         },
         Stream::Captured, Stream::Captured, 1, "header.zem': the file ends at byte ", nullptr},
        {"a link file name too long gives the reason",
         [](Files& f) {
             WriteIn(f.dir, "album.cue",
                     BytesOf("FILE \"a.zem\" WAVE\r\n  TRACK 01 AUDIO\r\n    INDEX 01 00:00:00\r\n"));
             return std::vector<std::string>{"links", "--template", std::string(300, 'n') + "TRACK#",
                                             f.Path("album.cue")};
         },
         Stream::Captured, Stream::Captured, 1, "is too long (306 bytes; a name holds at most 255", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Files files;
        ProcessSetup setup{c.prepare(files), c.out, c.err};
        const ProcessResult result = RunToolProcess(files.dir, setup);
        EXPECT_EQ(c.exitCode, result.exitCode) << result.err;
        EXPECT_NE(std::string::npos, result.err.find(c.errPart)) << result.err;
        if (c.err == Stream::Closed) {
            EXPECT_EQ("", result.err);
        }
        if (c.check)
            c.check(files);
    }
}

// A small file system of its own, where the test may mount one (as root).
class SmallDisk {
public:
    explicit SmallDisk(const fs::path& where) : m_where(where) {
        fs::create_directory(where);
        m_mounted = geteuid() == 0 && mount("tmpfs", where.c_str(), "tmpfs", 0, "size=16k") == 0;
    }
    ~SmallDisk() {
        if (m_mounted)
            umount(m_where.c_str());
    }
    bool Mounted() const { return m_mounted; }

private:
    fs::path m_where;
    bool m_mounted = false;
};

TEST(FileSafety, FullDiskLeavesNoPartialOutput) {
    Files f;
    SmallDisk disk(f.dir.File("small"));
    if (!disk.Mounted())
        GTEST_SKIP() << "no small file system can be mounted here (needs root)";
    const std::string big = WriteIn(f.dir, "big.wav", TestWave(30000));
    WriteFileBytes(f.dir.File("small/keep.wav"), BytesOf("keep"));
    const std::vector<std::string> runs[] = {
        {"decode", "-q", f.zem, f.Path("small/keep.wav")},
        {"encode", "-q", big, f.Path("small/new.zem")},
    };
    for (const auto& args : runs) {
        const ProcessResult result = RunToolProcess(f.dir, {args});
        EXPECT_EQ(1, result.exitCode);
        EXPECT_EQ("zemtool: CODEC_WRITE_FAILED: cannot write '" + args.back() + "': No space left on device\n",
                  result.err);
        EXPECT_EQ(BytesOf("keep"), ReadFileBytes(f.dir.File("small/keep.wav")));
        EXPECT_EQ(std::set<std::string>{"keep.wav"}, Names(f.dir.File("small")));
    }
}

// An interrupted decode leaves neither the output nor its temporary file.
TEST(FileSafety, InterruptedDecodeLeavesNoFile) {
    Files f;
    WaveShape shape;
    shape.blocks = 12 * 44100;  // long enough to be caught while decoding
    const std::string long_ = WriteIn(f.dir, "long.zem", EncodeWaveBytes(BuildWave(shape), 5000, 44100));
    for (int signal : {SIGINT, SIGTERM}) {
        SCOPED_TRACE(signal);
        ToolProcess decode(f.dir, {{"decode", "-q", "--threads", "1", long_, f.Path("out.wav")}});
        auto started = [&f] { return Names(f.dir.Path()).size() > 3; };  // the temporary file is there
        while (!started() && !decode.HasEnded())
            std::this_thread::yield();
        ASSERT_FALSE(decode.HasEnded()) << "decode ended before it could be interrupted";
        decode.Signal(signal);
        EXPECT_EQ(signal, decode.Wait().signal);
        EXPECT_EQ((std::set<std::string>{"a.zem", "in.wav", "long.zem"}), Names(f.dir.Path()));
    }
}

}  // namespace
}  // namespace tool_tests
#endif
