// SPDX-License-Identifier: BSD-3-Clause
// The C API on files cut short, on link files that name network paths, on
// files named without regard to their kind or to UTF-8: what it returns and
// the detail it gives a caller to show.
#include <zem/zem.h>

#include "container/info_id.h"
#include "decode/decoder_factory.h"
#include "tests/api/decoder_handle.h"
#include "tests/support/wave_fixture.h"
#include "tools/zemtool/zemtool.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <sstream>

using namespace zem;

using namespace testing_support;
namespace fs = std::filesystem;

namespace {

fs::path ReproFile(const char* name) {
    for (fs::path folder : {fs::path(ZEM_SOURCE_DIR) / ".." / "shared" / "repro", fs::path("/work/shared/repro")}) {
        if (fs::is_regular_file(folder / name))
            return folder / name;
    }
    return fs::path();
}

std::string ReadDetail(const zem_decoder* d) {
    char text[256] = {};
    EXPECT_GE(zem_get_error_detail(d, text, sizeof text), 0);
    return text;
}

// A version 3990 stream of 2500 stereo blocks in frames of `frameBlocks`,
// with 14 trailing wave bytes; `starts` gets each frame's file offset.
Bytes EncodedStream(int32_t frameBlocks, std::vector<int64_t>* starts, const TempDir& dir) {
    WaveShape shape;
    shape.blocks = 2500;
    shape.seed = 11;
    shape.trailing = BytesOf("trailing bytes");
    Bytes stream = EncodeWaveBytes(BuildWave(shape), 2000, frameBlocks);
    WriteFileBytes(dir.File("whole.zem"), stream);
    auto decoder = OpenDecoder(dir.WideFile("whole.zem").c_str(), nullptr);
    for (int64_t frame = 0; frame < decoder->GetInfo(TotalFrames); ++frame)
        starts->push_back(decoder->GetInfo(SeekByte, frame));
    return stream;
}

std::string Cut(const TempDir& dir, const Bytes& stream, size_t size) {
    WriteFileBytes(dir.File("cut.zem"), Bytes(stream.begin(), stream.begin() + static_cast<ptrdiff_t>(size)));
    return Utf8(dir.File("cut.zem"));
}

TEST(ZemApiCut, ACutFileEndsTheStreamAtTheCutWithItsDetail) {
    TempDir dir;
    std::vector<int64_t> starts;
    const Bytes stream = EncodedStream(1000, &starts, dir);
    ASSERT_EQ(3u, starts.size());
    const size_t cut = static_cast<size_t>(starts[1] + 10);
    int error = 1;
    Decoder d(zem_open(Cut(dir, stream, cut).c_str(), &error));
    ASSERT_NE(nullptr, d);
    Bytes pcm(1000 * 4);
    EXPECT_EQ(1000, zem_read(d.get(), pcm.data(), 1000));
    EXPECT_EQ(0, zem_get_error_detail(d.get(), nullptr, 0));
    EXPECT_EQ(ZEM_ERROR_TRUNCATED, zem_read(d.get(), pcm.data(), 1000));
    EXPECT_EQ(2500, zem_tell(d.get()));  // the stream ends there: nothing more to skip
    EXPECT_EQ(0, zem_read(d.get(), pcm.data(), 1000));
    EXPECT_EQ("the file ends at byte " + std::to_string(cut) + "; the stream needs " + std::to_string(stream.size()),
              ReadDetail(d.get()));
    // Each missing frame says so, whatever was read before.
    ASSERT_EQ(ZEM_OK, zem_seek(d.get(), 2100));
    EXPECT_EQ(ZEM_ERROR_TRUNCATED, zem_read(d.get(), pcm.data(), 10));
    ASSERT_EQ(ZEM_OK, zem_seek(d.get(), 0));
    EXPECT_EQ(1000, zem_read(d.get(), pcm.data(), 1000));
    EXPECT_EQ(0, zem_get_wav_trailer(d.get(), nullptr, 0));  // the trailer went with the cut
    // A detail is cut to the buffer, at a character boundary, and counted whole.
    char small[8];
    EXPECT_EQ(static_cast<long>(ReadDetail(d.get()).size()), zem_get_error_detail(d.get(), small, sizeof small));
    EXPECT_STREQ("the fil", small);
}

TEST(ZemApiCut, AFileCutInsideItsOnlyFrameIsCutNotDamaged) {
    TempDir dir;
    std::vector<int64_t> starts;
    const Bytes stream = EncodedStream(4096, &starts, dir);
    ASSERT_EQ(1u, starts.size());
    const size_t cut = stream.size() - 40;
    const std::string path = Cut(dir, stream, cut);
    Decoder d(zem_open(path.c_str(), nullptr));
    ASSERT_NE(nullptr, d);
    Bytes pcm(2500 * 4);
    EXPECT_EQ(ZEM_ERROR_TRUNCATED, zem_read(d.get(), pcm.data(), 2500));
    const std::string detail =
        "the file ends at byte " + std::to_string(cut) + "; the stream needs " + std::to_string(stream.size());
    EXPECT_EQ(detail, ReadDetail(d.get()));
    std::ostringstream out, err;
    EXPECT_EQ(1, RunZemtool({"verify", "-q", path}, out, err));
    EXPECT_NE(std::string::npos, err.str().find(detail)) << err.str();
    EXPECT_EQ(std::string::npos, err.str().find("failed its check")) << err.str();
}

// Version 3700, cut inside frame 1: frame 2 lies wholly beyond the file.
TEST(ZemApiCut, AFrameBeyondTheFileFailsHoweverItIsReached) {
    const fs::path repro = ReproFile("older-final-frame-history.zem");
    if (repro.empty())
        GTEST_SKIP() << "shared repro folder not found";
    Bytes pcm(9216 * 4);
    for (bool readFirst : {false, true}) {
        SCOPED_TRACE(readFirst ? "after a read" : "fresh");
        Decoder d(zem_open(Utf8(repro).c_str(), nullptr));
        ASSERT_NE(nullptr, d);
        if (readFirst)
            zem_read(d.get(), pcm.data(), 100);
        ASSERT_EQ(ZEM_OK, zem_seek(d.get(), 2 * 9216));
        EXPECT_EQ(ZEM_ERROR_TRUNCATED, zem_read(d.get(), pcm.data(), 4096));
        EXPECT_EQ("the file ends at byte 523; the stream needs more than 591", ReadDetail(d.get()));
    }
}

TEST(ZemApiCut, ATrailerTheFileDoesNotHoldIsMissing) {
    const fs::path repro = ReproFile("trailer-without-bytes.qrb");
    if (repro.empty())
        GTEST_SKIP() << "shared repro folder not found";
    Decoder d(zem_open(Utf8(repro).c_str(), nullptr));
    ASSERT_NE(nullptr, d);
    uint8_t buffer[16];
    EXPECT_EQ(0, zem_get_wav_trailer(d.get(), nullptr, 0));
    EXPECT_EQ(0, zem_get_wav_trailer(d.get(), buffer, sizeof buffer));
    std::ostringstream out, err;
    RunZemtool({"info", Utf8(repro)}, out, err);
    EXPECT_NE(std::string::npos,
              out.str().find("0 bytes (the header announces 65000 trailing bytes that the file does not hold)"))
        << out.str();
    EXPECT_EQ(std::string::npos, (out.str() + err.str()).find("byte -")) << err.str();
}

// Where the file ends against where the stream should, told before a read:
// whole, cut inside a frame, and a trailer announced but not there.
TEST(ZemApiCut, TheCutIsToldBeforeAnythingIsRead) {
    TempDir dir;
    std::vector<int64_t> starts;
    const Bytes stream = EncodedStream(1000, &starts, dir);
    const size_t cutAt = static_cast<size_t>(starts[1] + 10);
    const fs::path trailerRepro = ReproFile("trailer-without-bytes.qrb");
    struct Case {
        std::string path;
        int64_t cutFrame, fileEnd, neededBytes;
        int trailerMissing;
        int64_t announcedTrailer;
    } cases[] = {
        {Utf8(dir.File("whole.zem")), -1, int64_t(stream.size()), int64_t(stream.size()), 0, 14},
        {Cut(dir, stream, cutAt), 1, int64_t(cutAt), int64_t(stream.size()), 1, 14},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        Decoder d(zem_open(c.path.c_str(), nullptr));
        ASSERT_NE(nullptr, d);
        zem_stream_cut cut;
        ASSERT_EQ(ZEM_OK, zem_get_cut(d.get(), &cut));
        EXPECT_EQ(c.cutFrame, cut.cut_frame);
        EXPECT_EQ(c.fileEnd, cut.file_end);
        EXPECT_EQ(c.neededBytes, cut.needed_bytes);
        EXPECT_EQ(1, cut.needed_exact);
        EXPECT_EQ(c.trailerMissing, cut.trailer_missing);
        EXPECT_EQ(c.announcedTrailer, cut.announced_trailer);
        EXPECT_EQ(ZEM_ERROR_INVALID_ARGUMENT, zem_get_cut(d.get(), nullptr));
    }
    EXPECT_EQ(ZEM_ERROR_INVALID_ARGUMENT, zem_get_cut(nullptr, nullptr));
    if (trailerRepro.empty())
        return;
    Decoder d(zem_open(Utf8(trailerRepro).c_str(), nullptr));
    ASSERT_NE(nullptr, d);
    zem_stream_cut cut;
    ASSERT_EQ(ZEM_OK, zem_get_cut(d.get(), &cut));
    EXPECT_EQ(1, cut.trailer_missing);
    EXPECT_EQ(65000, cut.announced_trailer);
}

// A descriptor whose length reaches far past the file's end: a file is
// refused, and the same bytes from memory too (a seek there must not leave
// the reader where it stood, reading on from the wrong place).
TEST(ZemApiCut, AHeaderReachingPastTheEndIsRefusedFromMemoryAsFromAFile) {
    TempDir dir;
    std::vector<int64_t> starts;
    Bytes stream = EncodedStream(1000, &starts, dir);
    stream[15] = 0x10;  // the descriptor's length, 0x10000034 bytes
    WriteFileBytes(dir.File("far.zem"), stream);
    int error = 1;
    EXPECT_EQ(nullptr, zem_open(Utf8(dir.File("far.zem")).c_str(), &error));
    EXPECT_EQ(ZEM_ERROR_BAD_INPUT, error);
    error = 1;
    EXPECT_EQ(nullptr, zem_open_memory(stream.data(), stream.size(), &error));
    EXPECT_EQ(ZEM_ERROR_BAD_INPUT, error);
}

Bytes LinkTo(const std::string& image) {
    return BytesOf("[Quillon Image Link File]\r\nImage File=" + image + "\r\nStart Block=0\r\nFinish Block=-1\r\n");
}

TEST(ZemApiLinks, NetworkAndDevicePathsAreRefusedUnlessAllowed) {
    TempDir dir;
    for (const char* image : {"\\\\host\\share\\a.zem", "//host/share/a.zem", "\\/host\\a.zem", "\\\\.\\C:\\a.zem",
                              "\\\\?\\C:\\a.zem", "//?/C:/a.zem", "\\??\\UNC\\host\\a.zem"}) {
        SCOPED_TRACE(image);
        WriteFileBytes(dir.File("remote.zlk"), LinkTo(image));
        const std::string link = Utf8(dir.File("remote.zlk"));
        int error = 1;
        char detail[512];
        EXPECT_EQ(nullptr, zem_open_ex(link.c_str(), 0, &error, detail, sizeof detail));
        EXPECT_EQ(ZEM_ERROR_PATH_REFUSED, error);
        EXPECT_NE(std::string::npos, std::string(detail).find("network or device path")) << detail;
        EXPECT_NE(std::string::npos, std::string(detail).find(image)) << detail;
        EXPECT_EQ(nullptr, zem_open(link.c_str(), &error));
        EXPECT_EQ(ZEM_ERROR_PATH_REFUSED, error);
        std::ostringstream out, err;
        EXPECT_EQ(1, RunZemtool({"info", link}, out, err));
        EXPECT_NE(std::string::npos, err.str().find("CODEC_PATH_REFUSED")) << err.str();
        EXPECT_NE(std::string::npos, err.str().find("--allow-remote-paths")) << err.str();
#ifndef _WIN32
        // Allowed, the path is opened: here it is a local name that leads nowhere
        // (on Windows it would go out to the network).
        EXPECT_EQ(nullptr, zem_open_ex(link.c_str(), ZEM_OPEN_ALLOW_REMOTE_PATHS, &error, nullptr, 0));
        EXPECT_EQ(ZEM_ERROR_BAD_INPUT, error);
        std::ostringstream out2, err2;
        EXPECT_EQ(1, RunZemtool({"info", "--allow-remote-paths", link}, out2, err2));
        EXPECT_EQ(std::string::npos, err2.str().find("CODEC_PATH_REFUSED")) << err2.str();
#endif
    }
    int error = 0;
    EXPECT_EQ(nullptr, zem_open_ex(Utf8(dir.File("remote.zlk")).c_str(), 0x80, &error, nullptr, 0));
    EXPECT_EQ(ZEM_ERROR_INVALID_ARGUMENT, error);
}

TEST(ZemApiLinks, AMissingImageIsNamedInTheDetail) {
    TempDir dir;
    WriteFileBytes(dir.File("lost.zlk"), LinkTo("gone.zem"));
    int error = 1;
    char detail[512];
    EXPECT_EQ(nullptr, zem_open_ex(Utf8(dir.File("lost.zlk")).c_str(), 0, &error, detail, sizeof detail));
    EXPECT_EQ(ZEM_ERROR_BAD_INPUT, error);
    EXPECT_EQ("the image \"" + Utf8(dir.File("gone.zem")) + "\" named by the link file \"" +
                  Utf8(dir.File("lost.zlk")) + "\" is missing or cannot be read",
              std::string(detail));
}

// Files are told apart by content; the extension is a hint only.
TEST(ZemApiKinds, StreamsAndLinksOpenUnderAnyName) {
    TempDir dir;
    std::vector<int64_t> starts;
    const Bytes stream = EncodedStream(1000, &starts, dir);
    const std::string image = Utf8(dir.File("whole.zem"));
    const struct {
        const char* name;
        Bytes bytes;
        uint64_t blocks;
    } cases[] = {
        {"x.bin", stream, 2500},
        {"x.zlk", stream, 2500},
        {"noextension", stream, 2500},
        {"x.txt", BytesOf("[Quillon Image Link File]\r\nImage File=" + image +
                          "\r\nStart Block=700\r\nFinish Block=2300\r\n"), 1600},
        {"bom.zem", BytesOf("\xEF\xBB\xBF[Quillon Image Link File]\r\nImage File=" + image +
                            "\r\nStart Block=0\r\nFinish Block=100\r\n"), 100},
    };
    for (const auto& c : cases) {
        WriteFileBytes(dir.File(c.name), c.bytes);
        int error = 1;
        Decoder d(zem_open(Utf8(dir.File(c.name)).c_str(), &error));
        ASSERT_NE(nullptr, d) << c.name << " " << error;
        zem_stream_info info;
        zem_get_info(d.get(), &info);
        EXPECT_EQ(c.blocks, info.total_blocks) << c.name;
    }
    WriteFileBytes(dir.File("notes.zem"), BytesOf("just some text"));
    int error = 1;
    char detail[512];
    EXPECT_EQ(nullptr, zem_open_ex(Utf8(dir.File("notes.zem")).c_str(), 0, &error, detail, sizeof detail));
    EXPECT_EQ(ZEM_ERROR_BAD_INPUT, error);
    EXPECT_NE(std::string::npos, std::string(detail).find("holds no ZEM stream")) << detail;
}

#ifdef _WIN32
TEST(ZemApiNames, APathThatIsNotUtf8IsRefusedSayingSo) {
    int error = 1;
    char detail[256];
    EXPECT_EQ(nullptr, zem_open_ex("Mot\xF6rhead.zem", 0, &error, detail, sizeof detail));
    EXPECT_EQ(ZEM_ERROR_INVALID_ARGUMENT, error);
    EXPECT_NE(std::string::npos, std::string(detail).find("not valid UTF-8")) << detail;
}
#else
// Old collections keep Latin-1 names: their bytes pass through to the system.
TEST(ZemApiNames, NamesThatAreNotUtf8OpenAsTheirBytes) {
    TempDir dir;
    std::vector<int64_t> starts;
    const Bytes stream = EncodedStream(1000, &starts, dir);
    const std::string folder = dir.Path().string() + "/Mot\xF6rhead";
    fs::create_directory(folder);
    WriteFileBytes(folder + "/R\xF6ntgen.zem", stream);
    WriteFileBytes(folder + "/t\xE9.zlk", LinkTo("R\xF6ntgen.zem"));
    for (const std::string& name : {folder + "/R\xF6ntgen.zem", folder + "/t\xE9.zlk"}) {
        int error = 1;
        Decoder d(zem_open(name.c_str(), &error));
        EXPECT_NE(nullptr, d) << name << " " << error;
        std::ostringstream out, err;
        EXPECT_EQ(0, RunZemtool({"info", name}, out, err)) << err.str();
        EXPECT_EQ(0, RunZemtool({"verify", "-q", name}, out, err)) << err.str();
        // The tag and cue-sheet doors take the same bytes.
        zem_tag* tag = zem_tag_open(name.c_str(), &error);
        EXPECT_NE(nullptr, tag) << name << " " << error;
        zem_tag_close(tag);
    }
    int error = 1;
    Decoder range(zem_open_range64((folder + "/R\xF6ntgen.zem").c_str(), 0, 100, &error));
    EXPECT_NE(nullptr, range) << error;
}
#endif

}  // namespace
