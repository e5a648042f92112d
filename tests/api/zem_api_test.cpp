// SPDX-License-Identifier: BSD-3-Clause
// The C API of libzem, used as a program would use it (through the shared
// library): reading, seeking, tags, the WAV parts, damaged frames and every
// kind of bad input. Decoded bytes are compared with the wave file a stream
// was encoded from and with what `zemtool decode` writes.
#include <zem/zem.h>

#include "decode/decoder_factory.h"
#include "container/info_id.h"
#include "tag/tag_block.h"
#include "tests/older_encoder/older_stream.h"
#include "tests/api/decoder_handle.h"
#include "tests/support/wave_fixture.h"
#include "tests/support/zem_fixture.h"
#include "tools/zemtool/zemtool.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <set>
#include <sstream>
#include <string>

using namespace zem;

using namespace testing_support;

namespace {

constexpr uint32_t kBlocks = 2500;
constexpr int32_t kBlocksPerFrame = 1000;  // frames of 1000, 1000 and 500 blocks
constexpr int64_t kLinkStart = 700;
constexpr int64_t kLinkFinish = 2300;
const char* const kTitle = "Saltglass \xF0\x9F\x8E\xB5";  // a character beyond 16 bits

WaveShape Shape() {
    WaveShape shape;
    shape.blocks = kBlocks;
    shape.seed = 7;
    shape.extraChunk = BytesOf(std::string("LIST\x04\x00\x00\x00INFO", 12));
    shape.trailing = BytesOf("trailing bytes");
    return shape;
}

// A stream with a tag, a link file to blocks 700 to 2300 with a tag of its
// own, and what they decode to.
class ApiFiles {
public:
    ApiFiles() {
        m_wave = BuildWave(Shape());
        Bytes stream = EncodeWaveBytes(m_wave, 2000, kBlocksPerFrame);
        WriteFileBytes(m_dir.File("image.zem"), stream);
        {
            CTagBlock tag(m_dir.WideFile("image.zem").c_str(), 1);
            tag.SetFieldText(WTXT("Album"), WTXT("Tallowmere"));
            tag.Save(0);
        }
        const std::string link = "[Quillon Image Link File]\r\nImage File=" + Image() + "\r\nStart Block=" +
                                 std::to_string(kLinkStart) + "\r\nFinish Block=" + std::to_string(kLinkFinish) +
                                 "\r\n\r\n----- ZEM TAG (DO NOT TOUCH!!!) -----\r\n";
        WriteFileBytes(m_dir.File("track.zlk"), BytesOf(link));
        CTagBlock tag(m_dir.WideFile("track.zlk").c_str(), 1);
        tag.SetFieldTextNarrow(WTXT("Title"), kTitle, 1);
        tag.SetFieldText(WTXT("Track"), WTXT("2"));
        tag.Save(0);
    }

    std::string Image() const { return Utf8(m_dir.File("image.zem")); }
    std::string Link() const { return Utf8(m_dir.File("track.zlk")); }
    std::string Path(const std::string& name) const { return Utf8(m_dir.File(name)); }
    std::string Write(const std::string& name, const Bytes& bytes) const {
        WriteFileBytes(m_dir.File(name), bytes);
        return Path(name);
    }
    // The PCM of stream blocks [first, first + count).
    Bytes Pcm(int64_t first, int64_t count) const {
        const size_t dataStart = m_wave.size() - Shape().trailing.size() - kBlocks * 4;
        auto begin = m_wave.begin() + static_cast<ptrdiff_t>(dataStart + first * 4);
        return Bytes(begin, begin + count * 4);
    }
    // What `zemtool decode` writes for `input`.
    Bytes ToolDecode(const std::string& input) const {
        std::ostringstream out, err;
        const std::string target = Utf8(m_dir.File("tool.wav"));
        EXPECT_EQ(0, RunZemtool({"decode", "-q", input, target}, out, err)) << err.str();
        return ReadFileBytes(m_dir.File("tool.wav"));
    }
    const Bytes& Wave() const { return m_wave; }

private:
    TempDir m_dir;
    Bytes m_wave;
};

const ApiFiles& Files() {
    static const ApiFiles files;
    return files;
}

Decoder Open(const std::string& path) {
    int error = 1;
    Decoder d(zem_open(path.c_str(), &error));
    EXPECT_EQ(ZEM_OK, error) << path;
    EXPECT_NE(nullptr, d);
    return d;
}

// Bytes handed over through callbacks without seek, `piece` at a time (a
// pipe), counting how many the library has taken.
struct PipeSource {
    const Bytes* bytes;
    size_t piece;
    size_t taken = 0;

    static long Read(void* user, void* buffer, long count) {
        auto* s = static_cast<PipeSource*>(user);
        const size_t n = std::min({static_cast<size_t>(count), s->piece, s->bytes->size() - s->taken});
        std::copy_n(s->bytes->begin() + static_cast<ptrdiff_t>(s->taken), n, static_cast<uint8_t*>(buffer));
        s->taken += n;
        return static_cast<long>(n);
    }
    Decoder Open() {
        static const zem_io kIo = {Read, nullptr, nullptr};
        int error = 1;
        Decoder d(zem_open_io(&kIo, this, &error));
        EXPECT_EQ(ZEM_OK, error);
        return d;
    }
};

// Reads `count` blocks (all that is left with -1) in calls of `chunk`;
// every call must succeed and stay inside one frame.
Bytes ReadBlocks(zem_decoder* d, long chunk, int64_t count = -1) {
    Bytes out;
    Bytes buffer(static_cast<size_t>(chunk) * 4);
    for (;;) {
        const int64_t before = zem_tell(d);
        long want = count < 0 ? chunk : static_cast<long>(std::min<int64_t>(chunk, count - int64_t(out.size() / 4)));
        if (want == 0)
            break;
        long n = zem_read(d, buffer.data(), want);
        EXPECT_GE(n, 0) << zem_error_text(int(n));
        if (n <= 0)
            break;
        EXPECT_EQ(before + n, zem_tell(d));
        out.insert(out.end(), buffer.begin(), buffer.begin() + n * 4);
    }
    return out;
}

Bytes WavePart(zem_decoder* d, bool header) {
    auto part = header ? zem_get_wav_header : zem_get_wav_trailer;
    long size = part(d, nullptr, 0);
    EXPECT_GE(size, 0);
    Bytes bytes(static_cast<size_t>(std::max(size, 0L)));
    EXPECT_EQ(size, part(d, bytes.data(), bytes.size()));
    return bytes;
}

struct ReadCase {
    bool link;
    long chunk;
};

class ZemApiRead : public ::testing::TestWithParam<ReadCase> {};

// Header, every block and trailer: the source wave for a stream, and for
// both exactly what zemtool decode writes.
TEST_P(ZemApiRead, WholeFileIsWhatZemtoolDecodeWrites) {
    const std::string path = GetParam().link ? Files().Link() : Files().Image();
    Decoder d = Open(path);
    Bytes wave = WavePart(d.get(), true);
    Bytes pcm = ReadBlocks(d.get(), GetParam().chunk);
    Bytes trailer = WavePart(d.get(), false);
    Bytes buffer(4);
    EXPECT_EQ(0, zem_read(d.get(), buffer.data(), 1));
    const int64_t first = GetParam().link ? kLinkStart : 0;
    const int64_t count = GetParam().link ? kLinkFinish - kLinkStart : kBlocks;
    EXPECT_EQ(Files().Pcm(first, count), pcm);
    wave.insert(wave.end(), pcm.begin(), pcm.end());
    wave.insert(wave.end(), trailer.begin(), trailer.end());
    EXPECT_EQ(Files().ToolDecode(path), wave);
    if (!GetParam().link)
        EXPECT_EQ(Files().Wave(), wave);
    else
        EXPECT_EQ(44u + pcm.size(), wave.size());
}

INSTANTIATE_TEST_SUITE_P(Chunks, ZemApiRead,
                         ::testing::Values(ReadCase{false, 1}, ReadCase{false, 333}, ReadCase{false, 4096},
                                           ReadCase{true, 7}, ReadCase{true, 4096}));

TEST(ZemApi, ReadsStopAtTheEndOfTheFrameTheyStartIn) {
    Decoder d = Open(Files().Link());
    Bytes buffer(4096 * 4);
    EXPECT_EQ(300, zem_read(d.get(), buffer.data(), 4096));   // image blocks 700 to 1000
    EXPECT_EQ(1000, zem_read(d.get(), buffer.data(), 4096));  // the whole second frame
    EXPECT_EQ(300, zem_read(d.get(), buffer.data(), 4096));   // up to the link's finish, 2300
    EXPECT_EQ(0, zem_read(d.get(), buffer.data(), 4096));
}

// Opening the image with a range gives what the link file to that range gives.
TEST(ZemApi, OpenRangeIsTheLinkWithoutItsFile) {
    struct {
        int32_t start, finish;
        uint64_t first, blocks;
    } cases[] = {{int32_t(kLinkStart), int32_t(kLinkFinish), uint64_t(kLinkStart), kLinkFinish - kLinkStart},
                 {-1, -1, 0, kBlocks},
                 {2400, 99999, 2400, 100},
                 {500, 400, 500, 0}};
    for (const auto& c : cases) {
        int error = 1;
        Decoder d(zem_open_range(Files().Image().c_str(), c.start, c.finish, &error));
        ASSERT_EQ(ZEM_OK, error) << c.start;
        zem_stream_info info;
        zem_get_info(d.get(), &info);
        EXPECT_EQ(c.blocks, info.total_blocks) << c.start;
        uint64_t first = 99;
        zem_get_range(d.get(), &first, nullptr);
        EXPECT_EQ(c.first, first) << c.start;
        EXPECT_EQ(Files().Pcm(int64_t(c.first), int64_t(c.blocks)), ReadBlocks(d.get(), 4096)) << c.start;
        // A range that is the whole stream keeps the stream's own header and trailer.
        const bool whole = c.blocks == kBlocks;
        EXPECT_EQ(whole ? 56 : 44, zem_get_wav_header(d.get(), nullptr, 0)) << c.start;
        EXPECT_EQ(whole ? 14 : 0, zem_get_wav_trailer(d.get(), nullptr, 0)) << c.start;
    }
    Decoder link = Open(Files().Link());
    Decoder range(zem_open_range(Files().Image().c_str(), int32_t(kLinkStart), int32_t(kLinkFinish), nullptr));
    EXPECT_EQ(WavePart(link.get(), true), WavePart(range.get(), true));
    int error = 0;
    EXPECT_EQ(nullptr, zem_open_range(Files().Path("missing.zem").c_str(), 0, 10, &error));
    EXPECT_EQ(ZEM_ERROR_CANNOT_OPEN, error);
    EXPECT_EQ(nullptr, zem_open_range(Files().Link().c_str(), 0, 10, &error));
    EXPECT_EQ(ZEM_ERROR_BAD_INPUT, error);
}

// Frames of 1000 blocks in the image; the link's start (700) lies inside the first.
TEST(ZemApi, FrameOfABlockInAStreamAndInALink) {
    struct {
        bool link;
        uint64_t block, first, end;
    } cases[] = {{false, 0, 0, 1000},  {false, 999, 0, 1000},  {false, 1000, 1000, 2000},
                 {false, 2499, 2000, 2500}, {true, 0, 0, 300}, {true, 299, 0, 300},
                 {true, 300, 300, 1300}, {true, 1599, 1300, 1600}};
    for (const auto& c : cases) {
        Decoder d = Open(c.link ? Files().Link() : Files().Image());
        uint64_t first = 99, end = 99;
        ASSERT_EQ(ZEM_OK, zem_get_frame(d.get(), c.block, &first, &end)) << c.link << " " << c.block;
        EXPECT_EQ(c.first, first) << c.link << " " << c.block;
        EXPECT_EQ(c.end, end) << c.link << " " << c.block;
        // Reading from the frame's first block stops at its end.
        Bytes buffer(4096 * 4);
        ASSERT_EQ(ZEM_OK, zem_seek(d.get(), first));
        EXPECT_EQ(long(end - first), zem_read(d.get(), buffer.data(), 4096));
    }
    Decoder d = Open(Files().Link());
    EXPECT_EQ(ZEM_ERROR_INVALID_ARGUMENT, zem_get_frame(d.get(), 1600, nullptr, nullptr));
    EXPECT_EQ(ZEM_ERROR_INVALID_ARGUMENT, zem_get_frame(nullptr, 0, nullptr, nullptr));
}

struct SeekCase {
    bool link;
    uint64_t block;
    int64_t count;  // blocks read behind it
};

class ZemApiSeek : public ::testing::TestWithParam<SeekCase> {};

TEST_P(ZemApiSeek, ReadsFromTheBlockSoughtTo) {
    const SeekCase& c = GetParam();
    Decoder d = Open(c.link ? Files().Link() : Files().Image());
    ReadBlocks(d.get(), 100, 150);  // somewhere else first
    ASSERT_EQ(ZEM_OK, zem_seek(d.get(), c.block));
    EXPECT_EQ(int64_t(c.block), zem_tell(d.get()));
    const int64_t first = (c.link ? kLinkStart : 0) + int64_t(c.block);
    EXPECT_EQ(Files().Pcm(first, c.count), ReadBlocks(d.get(), 64, c.count));
    EXPECT_EQ(Bytes(), ReadBlocks(d.get(), 64));  // c.count reaches the end
}

INSTANTIATE_TEST_SUITE_P(Blocks, ZemApiSeek,
                         ::testing::Values(SeekCase{false, 0, kBlocks}, SeekCase{false, 999, kBlocks - 999},
                                           SeekCase{false, 2000, 500}, SeekCase{false, kBlocks - 1, 1},
                                           SeekCase{false, kBlocks, 0}, SeekCase{true, 0, 1600},
                                           SeekCase{true, 299, 1301}, SeekCase{true, 1299, 301},
                                           SeekCase{true, 1599, 1}, SeekCase{true, 1600, 0}));

TEST(ZemApi, SeekBeyondTheEndIsRefusedAndKeepsThePosition) {
    Decoder d = Open(Files().Link());
    ASSERT_EQ(ZEM_OK, zem_seek(d.get(), 10));
    EXPECT_EQ(ZEM_ERROR_INVALID_ARGUMENT, zem_seek(d.get(), 1601));
    EXPECT_EQ(10, zem_tell(d.get()));
}

TEST(ZemApi, InfoAndRangeOfAStreamAndOfALink) {
    for (bool link : {false, true}) {
        Decoder d = Open(link ? Files().Link() : Files().Image());
        zem_stream_info info;
        ASSERT_EQ(ZEM_OK, zem_get_info(d.get(), &info));
        EXPECT_EQ(3990u, info.version);
        EXPECT_EQ(2000u, info.compression_level);
        EXPECT_EQ(44100u, info.sample_rate);
        EXPECT_EQ(2u, info.channels);
        EXPECT_EQ(16u, info.bits_per_sample);
        EXPECT_EQ(4u, info.block_align);
        EXPECT_EQ(link ? uint64_t(kLinkFinish - kLinkStart) : kBlocks, info.total_blocks);
        uint64_t first = 99, streamBlocks = 0;
        ASSERT_EQ(ZEM_OK, zem_get_range(d.get(), &first, &streamBlocks));
        EXPECT_EQ(link ? uint64_t(kLinkStart) : 0u, first);
        EXPECT_EQ(kBlocks, streamBlocks);
    }
}

TEST(ZemApi, TagsOfAStreamAndTheLinkFilesOwnTag) {
    Decoder stream = Open(Files().Image());
    EXPECT_STREQ("Tallowmere", zem_get_tag(stream.get(), "Album"));
    EXPECT_EQ(nullptr, zem_get_tag(stream.get(), "Title"));
    Decoder link = Open(Files().Link());
    const char* title = zem_get_tag(link.get(), "Title");
    EXPECT_STREQ(kTitle, title);
    EXPECT_EQ(title, zem_get_tag(link.get(), "Title"));  // the same text until closed
    EXPECT_STREQ(kTitle, zem_get_tag(link.get(), "TITLE"));
    EXPECT_STREQ("2", zem_get_tag(link.get(), "Track"));
    EXPECT_EQ(nullptr, zem_get_tag(link.get(), "Album"));  // the image's tag is not the link's
    EXPECT_EQ(nullptr, zem_get_tag(link.get(), ""));
}

// A ZEM tag of `version` holding a text item Artist and a binary item Cover,
// behind a few bytes of "audio".
Bytes TagOfVersion(uint32_t version, const char* artist) {
    Bytes file(16, 0x5A);
    const size_t start = file.size();
    struct Item {
        const char* name;
        Bytes value;
        uint32_t flags;
    };
    for (const Item& item : {Item{"Artist", BytesOf(artist), 0}, Item{"Cover", Bytes{1, 0, 2}, 2}}) {
        PutU32(file, static_cast<uint32_t>(item.value.size()));
        PutU32(file, item.flags);
        PutText(file, item.name);
        file.push_back(0);
        file.insert(file.end(), item.value.begin(), item.value.end());
    }
    const uint32_t size = static_cast<uint32_t>(file.size() - start) + 32;
    PutText(file, "ZEMTAGEX");
    for (uint32_t word : {version, size, 2u, 0x40000000u, 0u, 0u})
        PutU32(file, word);
    return file;
}

TEST(ZemApi, TagTextIsUtf8AndBinaryItemsKeepTheirBytesInEveryTagVersion) {
    struct Case {
        uint32_t version;
        const char* stored;  // older tags hold ANSI text
    } cases[] = {{1000, "Caf\xE9"}, {2000, "Caf\xC3\xA9"}};
    for (const Case& c : cases) {
        zem_tag* tag = zem_tag_open(Files().Write("versioned.zem", TagOfVersion(c.version, c.stored)).c_str(), nullptr);
        ASSERT_NE(tag, nullptr);
        EXPECT_EQ(zem_tag_found(tag), ZEM_TAG_HAS_ZEM) << c.version;
        EXPECT_STREQ(zem_tag_get(tag, "Artist"), "Caf\xC3\xA9") << c.version;
        EXPECT_EQ(zem_tag_get(tag, "Cover"), nullptr) << c.version;
        unsigned char cover[4] = {};
        EXPECT_EQ(zem_tag_get_binary(tag, "Cover", cover, sizeof cover), 3) << c.version;
        EXPECT_EQ(Bytes(cover, cover + 3), (Bytes{1, 0, 2})) << c.version;
        zem_tag_close(tag);
    }
}

TEST(ZemApi, LayoutPlacesTheTrailerBeforeTheTagAndLinksHaveNone) {
    const Bytes file = ReadFileBytes(std::filesystem::u8path(Files().Image()));
    Decoder d = Open(Files().Image());
    zem_stream_layout layout;
    ASSERT_EQ(ZEM_OK, zem_get_layout(d.get(), &layout));
    const Bytes trailer = Shape().trailing;
    EXPECT_EQ(0u, layout.stream_start);
    EXPECT_EQ(trailer.size(), layout.trailer_bytes);
    EXPECT_EQ(kBlocks, layout.blocks);
    ASSERT_LT(layout.audio_end, file.size());  // the tag follows
    EXPECT_EQ(trailer, Bytes(file.begin() + static_cast<ptrdiff_t>(layout.audio_end - trailer.size()),
                             file.begin() + static_cast<ptrdiff_t>(layout.audio_end)));
    EXPECT_GT(layout.frames_start, 44u);
    EXPECT_LT(layout.frames_start, layout.audio_end);
    Decoder link = Open(Files().Link());
    EXPECT_EQ(ZEM_ERROR_UNSUPPORTED, zem_get_layout(link.get(), &layout));
    EXPECT_EQ(ZEM_ERROR_INVALID_ARGUMENT, zem_get_layout(d.get(), nullptr));
}

TEST(ZemApi, LinkReadNamesTheImageWithoutOpeningIt) {
    const std::string image = Files().Image();
    int64_t start = 0, finish = 0;
    EXPECT_EQ(long(image.size()), zem_link_read(Files().Link().c_str(), nullptr, 0, &start, &finish));
    std::string path(image.size(), 'x');  // one byte short of room for the terminator
    EXPECT_EQ(long(image.size()), zem_link_read(Files().Link().c_str(), &path[0], path.size(), nullptr, nullptr));
    EXPECT_EQ(std::string(image.size(), 'x'), path);
    path.assign(image.size() + 1, 'x');
    EXPECT_EQ(long(image.size()), zem_link_read(Files().Link().c_str(), &path[0], path.size(), nullptr, nullptr));
    EXPECT_EQ(image, path.c_str());
    EXPECT_EQ(kLinkStart, start);
    EXPECT_EQ(kLinkFinish, finish);
    EXPECT_EQ(ZEM_ERROR_BAD_INPUT, zem_link_read(image.c_str(), nullptr, 0, nullptr, nullptr));
    EXPECT_EQ(ZEM_ERROR_CANNOT_OPEN, zem_link_read(Files().Path("none.zlk").c_str(), nullptr, 0, nullptr, nullptr));
    EXPECT_EQ(ZEM_ERROR_INVALID_ARGUMENT, zem_link_read("", nullptr, 0, nullptr, nullptr));
}

TEST(ZemApi, WavePartsAreCopiedOnlyWhenTheyFit) {
    Decoder d = Open(Files().Image());
    const long size = zem_get_wav_header(d.get(), nullptr, 0);
    EXPECT_EQ(44 + 12, size);  // with the LIST chunk
    Bytes small(static_cast<size_t>(size - 1), 0xAA);
    EXPECT_EQ(size, zem_get_wav_header(d.get(), small.data(), small.size()));
    EXPECT_EQ(Bytes(small.size(), 0xAA), small);
    EXPECT_EQ(14, zem_get_wav_trailer(d.get(), nullptr, 0));
}

struct OpenFailure {
    const char* name;
    Bytes bytes;  // written under `name` unless empty
    int error;
};

TEST(ZemApi, BadInputIsRefusedWithItsError) {
    const Bytes noStream(5000, 0x42);
    const std::string image = Files().Image();
    const Bytes badLink = BytesOf("[Quillon Image Link File]\r\nImage File=" + image + "\r\nStart Block=0\r\n");
    const Bytes lostImage = BytesOf("[Quillon Image Link File]\r\nImage File=" + image +
                                    ".gone\r\nStart Block=0\r\nFinish Block=10\r\n");
    const std::vector<OpenFailure> cases = {
        {"missing.zem", {}, ZEM_ERROR_CANNOT_OPEN},
        {"noise.zem", noStream, ZEM_ERROR_BAD_INPUT},
        {"no-finish.zlk", badLink, ZEM_ERROR_BAD_INPUT},
        {"lost-image.zlk", lostImage, ZEM_ERROR_BAD_INPUT},
        {"gap.qrb", BuildZemBytes(OldZemFixture(3925)), ZEM_ERROR_UNSUPPORTED},
    };
    for (const OpenFailure& c : cases) {
        const std::string path = c.bytes.empty() ? Files().Path(c.name) : Files().Write(c.name, c.bytes);
        int error = 1;
        EXPECT_EQ(nullptr, zem_open(path.c_str(), &error)) << c.name;
        EXPECT_EQ(c.error, error) << c.name;
        EXPECT_EQ(nullptr, zem_open(path.c_str(), nullptr));
    }
    int error = 1;
    EXPECT_EQ(nullptr, zem_open(nullptr, &error));
    EXPECT_EQ(ZEM_ERROR_INVALID_ARGUMENT, error);
    EXPECT_EQ(nullptr, zem_open("", &error));
    EXPECT_EQ(ZEM_ERROR_INVALID_ARGUMENT, error);
    EXPECT_EQ(nullptr, zem_open("bad\xC0.zem", &error));  // malformed UTF-8: a name of bytes elsewhere
#ifdef _WIN32
    EXPECT_EQ(ZEM_ERROR_INVALID_ARGUMENT, error);
#else
    EXPECT_EQ(ZEM_ERROR_CANNOT_OPEN, error);
#endif
}

TEST(ZemApi, NullArgumentsAreRefused) {
    Decoder d = Open(Files().Image());
    zem_stream_info info;
    uint8_t buffer[16];
    EXPECT_EQ(ZEM_ERROR_INVALID_ARGUMENT, zem_get_info(nullptr, &info));
    EXPECT_EQ(ZEM_ERROR_INVALID_ARGUMENT, zem_get_info(d.get(), nullptr));
    EXPECT_EQ(ZEM_ERROR_INVALID_ARGUMENT, zem_read(nullptr, buffer, 1));
    EXPECT_EQ(ZEM_ERROR_INVALID_ARGUMENT, zem_read(d.get(), nullptr, 1));
    EXPECT_EQ(ZEM_ERROR_INVALID_ARGUMENT, zem_read(d.get(), buffer, 0));
    EXPECT_EQ(ZEM_ERROR_INVALID_ARGUMENT, zem_seek(nullptr, 0));
    EXPECT_EQ(ZEM_ERROR_INVALID_ARGUMENT, zem_tell(nullptr));
    EXPECT_EQ(nullptr, zem_get_tag(nullptr, "Title"));
    EXPECT_EQ(nullptr, zem_get_tag(d.get(), nullptr));
    EXPECT_EQ(ZEM_ERROR_INVALID_ARGUMENT, zem_get_wav_header(nullptr, buffer, sizeof buffer));
    EXPECT_EQ(ZEM_ERROR_INVALID_ARGUMENT, zem_get_wav_trailer(nullptr, buffer, sizeof buffer));
    EXPECT_EQ(ZEM_ERROR_INVALID_ARGUMENT, zem_get_range(nullptr, nullptr, nullptr));
    zem_close(nullptr);
    EXPECT_EQ(0, zem_tell(d.get()));  // nothing moved
}

// A damaged frame in a current stream (its decoder reports the check) and in
// an older one (its decoder stops at the frame).
struct DamageCase {
    const char* name;
    Bytes file;
    Bytes pcm;
    int64_t frameBlocks;
    int64_t damagedFrame;
    uint32_t damageAt;  // file offset of the byte that is flipped
};

DamageCase CurrentDamage() {
    Bytes file = ReadFileBytes(Files().Image());
    auto decoder = OpenDecoder(ToWide(Files().Image()).c_str(), nullptr);
    auto at = static_cast<uint32_t>(decoder->GetInfo(SeekByte, 1) + decoder->GetInfo(FrameBytes, 1) / 2);
    return {"current.zem", file, Files().Pcm(0, kBlocks), kBlocksPerFrame, 1, at};
}

DamageCase OlderDamage() {
    older_encoder::OlderStreamShape shape;
    shape.crcChecks = true;
    shape.frames = 3;
    older_encoder::OlderStream stream = older_encoder::BuildOlderStream(shape);
    return {"older.qrb", stream.file, stream.pcm, stream.blocksPerFrame, 1, stream.frameStarts[1] + 40};
}

TEST(ZemApi, ADamagedFrameIsReportedAndSkippedAndReadingGoesOn) {
    for (DamageCase c : {CurrentDamage(), OlderDamage()}) {
        SCOPED_TRACE(c.name);
        c.file[c.damageAt] ^= 0x5A;
        Decoder d = Open(Files().Write(c.name, c.file));
        zem_stream_info info;
        zem_get_info(d.get(), &info);
        const int64_t align = info.block_align;
        const int64_t frameStart = c.damagedFrame * c.frameBlocks;
        auto slice = [&](int64_t first, int64_t count) {
            return Bytes(c.pcm.begin() + first * align, c.pcm.begin() + (first + count) * align);
        };
        // Up to the damaged frame, then into it from its middle after a seek.
        EXPECT_EQ(slice(0, frameStart), ReadBlocks(d.get(), 128, frameStart));
        Bytes buffer(static_cast<size_t>(c.frameBlocks * align));
        for (uint64_t start : {uint64_t(frameStart), uint64_t(frameStart + 10)}) {
            ASSERT_EQ(ZEM_OK, zem_seek(d.get(), start));
            EXPECT_EQ(ZEM_ERROR_BAD_FRAME, zem_read(d.get(), buffer.data(), 5));
            EXPECT_EQ(frameStart + c.frameBlocks, zem_tell(d.get()));  // the rest of the frame is skipped
            EXPECT_EQ(slice(frameStart + c.frameBlocks, 50), ReadBlocks(d.get(), 25, 50));
        }
        EXPECT_EQ(slice(frameStart + c.frameBlocks + 50, int64_t(info.total_blocks) - frameStart - c.frameBlocks - 50),
                  ReadBlocks(d.get(), 4096));
    }
}

// Reads d to its end as a caller's loop does; the results that were not a count, in order.
std::vector<long> ReadToEnd(zem_decoder* d) {
    std::vector<long> failures;
    Bytes buffer(4096 * 4);
    for (int call = 0; call < 100; ++call) {
        const long n = zem_read(d, buffer.data(), 4096);
        if (n == 0)
            return failures;
        if (n < 0)
            failures.push_back(n);
    }
    ADD_FAILURE() << "reading did not end";
    return failures;
}

// The check is made only when asked for, its verdict comes once at the end,
// and what it cannot judge is refused or dropped.
TEST(ZemApi, Md5CheckAskedForReportsAtTheEnd) {
    constexpr size_t kDigestByte = 36 + 5;
    const Bytes image = ReadFileBytes(Files().Image());
    Bytes wrongDigest = image;
    wrongDigest[kDigestByte] ^= 1;
    Bytes noDigest = image;
    std::fill(noDigest.begin() + 36, noDigest.begin() + 52, 0);
    Bytes damagedFrame = image;
    damagedFrame[size_t(CurrentDamage().damageAt)] ^= 0x5A;
    const std::string wrongPath = Files().Write("wrong-md5.zem", wrongDigest);
    auto memory = [&](const Bytes& bytes) {
        int error = 1;
        return Decoder(zem_open_memory(bytes.data(), bytes.size(), &error));
    };
    auto range = [&] { return Decoder(zem_open_range(Files().Image().c_str(), -1, -1, nullptr)); };
    const struct {
        const char* name;
        std::function<Decoder()> open;
        int asked;
        std::vector<long> failures;
    } cases[] = {
        {"clean", [&] { return Open(Files().Image()); }, ZEM_OK, {}},
        {"wrong digest", [&] { return Open(wrongPath); }, ZEM_OK, {ZEM_ERROR_BAD_MD5}},
        {"wrong digest in memory", [&] { return memory(wrongDigest); }, ZEM_OK, {ZEM_ERROR_BAD_MD5}},
        {"no digest", [&] { return memory(noDigest); }, ZEM_ERROR_UNSUPPORTED, {}},
        {"damaged frame", [&] { return memory(damagedFrame); }, ZEM_OK, {ZEM_ERROR_BAD_FRAME}},
        {"clean, through a pipe", [&] { return PipeSource{&image, 333}.Open(); }, ZEM_OK, {}},
        {"wrong digest, through a pipe", [&] { return PipeSource{&wrongDigest, 333}.Open(); }, ZEM_OK,
         {ZEM_ERROR_BAD_MD5}},
        {"link file", [&] { return Open(Files().Link()); }, ZEM_ERROR_UNSUPPORTED, {}},
        {"whole range", range, ZEM_ERROR_UNSUPPORTED, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Decoder d = c.open();
        ASSERT_NE(nullptr, d);
        EXPECT_EQ(c.asked, zem_check_md5(d.get()));
        EXPECT_EQ(c.failures, ReadToEnd(d.get()));
        EXPECT_EQ(0, zem_read(d.get(), Bytes(16).data(), 1));
    }
    Decoder d = Open(wrongPath);
    ASSERT_EQ(ZEM_OK, zem_check_md5(d.get()));
    EXPECT_EQ(std::vector<long>{ZEM_ERROR_BAD_MD5}, ReadToEnd(d.get()));
    char detail[128];
    zem_get_error_detail(d.get(), detail, sizeof detail);
    EXPECT_STREQ("the decoded WAV file does not match the MD5 digest the stream stores", detail);
    // Not asked for, after a seek, and once reading has begun: nothing is checked.
    EXPECT_EQ(std::vector<long>{}, ReadToEnd(Open(wrongPath).get()));
    ASSERT_EQ(ZEM_OK, zem_seek(d.get(), 0));
    ASSERT_EQ(ZEM_OK, zem_check_md5(d.get()));
    ASSERT_EQ(ZEM_OK, zem_seek(d.get(), 0));
    EXPECT_EQ(std::vector<long>{}, ReadToEnd(d.get()));
    ASSERT_EQ(ZEM_OK, zem_seek(d.get(), 1));
    EXPECT_EQ(ZEM_ERROR_INVALID_ARGUMENT, zem_check_md5(d.get()));
    EXPECT_EQ(ZEM_ERROR_INVALID_ARGUMENT, zem_check_md5(nullptr));
}

// A source without seek is decoded as its bytes arrive, keeping only the
// frame being read: the first frame comes out long before the last bytes are
// taken, and the tag behind the audio is never read.
TEST(ZemApi, ASourceWithoutSeekIsDecodedAsItArrives) {
    WaveShape shape = Shape();
    shape.blocks = 300000;
    const Bytes wave = BuildWave(shape);
    const Bytes stream = EncodeWaveBytes(wave, 2000, kBlocksPerFrame);
    const std::string path = Files().Write("long.zem", stream);
    PipeSource source{&stream, 4096};
    Decoder d = source.Open();
    ASSERT_NE(nullptr, d);
    Bytes first = ReadBlocks(d.get(), 4000, kBlocksPerFrame);
    EXPECT_LT(source.taken, stream.size() / 4);
    Bytes all = first;
    Bytes rest = ReadBlocks(d.get(), 4000);
    all.insert(all.end(), rest.begin(), rest.end());
    EXPECT_EQ(ReadBlocks(Open(path).get(), 4000), all);
    EXPECT_EQ(Bytes(wave.end() - ptrdiff_t(shape.trailing.size()), wave.end()), WavePart(d.get(), false));

    // A pipe that ends inside the frames is a cut stream: reading stops at
    // the first frame it lacks, with ZEM_ERROR_TRUNCATED and where it ends.
    const Bytes cut(stream.begin(), stream.begin() + ptrdiff_t(stream.size() * 3 / 5));
    PipeSource cutPipe{&cut, 4096};
    Decoder c = cutPipe.Open();
    Bytes buffer(4000 * 4), got;
    long n;
    std::vector<long> failures;
    while ((n = zem_read(c.get(), buffer.data(), 4000)) != 0) {
        if (n < 0)
            failures.push_back(n);
        else
            got.insert(got.end(), buffer.begin(), buffer.begin() + n * 4);
    }
    EXPECT_EQ(std::vector<long>{ZEM_ERROR_TRUNCATED}, failures);
    EXPECT_EQ(0u, got.size() % (kBlocksPerFrame * 4));
    EXPECT_GT(got.size(), all.size() / 2);
    EXPECT_TRUE(std::equal(got.begin(), got.end(), all.begin()));
    char detail[128];
    zem_get_error_detail(c.get(), detail, sizeof detail);
    EXPECT_EQ(0, std::string(detail).rfind("the stream ends at byte " + std::to_string(cut.size()) + "; frame ", 0))
        << detail;

    // The tag lies behind the audio: a pipe gives none; the same bytes in
    // memory give it.
    const Bytes tagged = ReadFileBytes(Files().Image());
    PipeSource pipe{&tagged, 100};
    EXPECT_EQ(nullptr, zem_get_tag(pipe.Open().get(), "Album"));
    int error = 1;
    Decoder inMemory(zem_open_memory(tagged.data(), tagged.size(), &error));
    EXPECT_STREQ("Tallowmere", zem_get_tag(inMemory.get(), "Album"));

    // An older stream does not say where its last frame ends: it is taken
    // whole first, and decodes all the same.
    older_encoder::OlderStreamShape olderShape;
    olderShape.frames = 3;
    const older_encoder::OlderStream older = older_encoder::BuildOlderStream(olderShape);
    PipeSource whole{&older.file, 700};
    Decoder o = whole.Open();
    ASSERT_NE(nullptr, o);
    EXPECT_EQ(older.file.size(), whole.taken);
    EXPECT_EQ(older.pcm, ReadBlocks(o.get(), 4000));
}

// The whole stream's numbers, for a stream and for a link (whose range_*
// are its track's).
TEST(ZemApi, FactsOfAStreamAndOfALink) {
    for (bool link : {false, true}) {
        SCOPED_TRACE(link ? "link" : "stream");
        Decoder d = Open(link ? Files().Link() : Files().Image());
        zem_stream_facts f;
        ASSERT_EQ(ZEM_OK, zem_get_facts(d.get(), &f));
        const int64_t rangeBlocks = link ? kLinkFinish - kLinkStart : kBlocks;
        const int64_t expected[][2] = {
            {3990, f.version},
            {2000, f.compression_level},
            {44100, f.sample_rate},
            {16, f.bits_per_sample},
            {2, f.bytes_per_sample},
            {2, f.channels},
            {4, f.block_align},
            {kBlocksPerFrame, f.blocks_per_frame},
            {500, f.final_frame_blocks},
            {3, f.total_frames},
            {kBlocks * 4, f.wav_data_bytes},
            {link ? 0 : 14, f.wav_trailer_bytes},
            {kBlocks, f.total_blocks},
            {kBlocks * 1000 / 44100, f.length_ms},
            {rangeBlocks, f.range_blocks},
            {rangeBlocks * 1000 / 44100, f.range_length_ms},
            {1411, f.decompressed_bitrate},
            {0, f.fill_byte},
            {int64_t(ReadFileBytes(Files().Image()).size()), f.file_bytes},
        };
        for (size_t i = 0; i < sizeof expected / sizeof expected[0]; ++i)
            EXPECT_EQ(expected[i][0], expected[i][1]) << "#" << i;
        EXPECT_EQ(f.wav_header_bytes, zem_get_wav_header(d.get(), nullptr, 0));
        if (!link) {
            EXPECT_EQ(f.wav_header_bytes + f.wav_data_bytes + f.wav_trailer_bytes, f.wav_total_bytes);
        }
        EXPECT_GT(f.average_bitrate, 0);
        EXPECT_GT(f.range_average_bitrate, 0);
        EXPECT_EQ(ZEM_ERROR_INVALID_ARGUMENT, zem_get_facts(d.get(), nullptr));
    }
    zem_stream_facts f;
    EXPECT_EQ(ZEM_ERROR_INVALID_ARGUMENT, zem_get_facts(nullptr, &f));
}

// A failed frame's fill keeps what each decoder has always written: 127 for
// 8-bit samples of current streams, the unsigned midpoint for older ones
// once samples were unsigned, silence otherwise.
TEST(ZemApi, FillOfAFailedFrameFollowsTheStreamsAge) {
    auto older = [](uint16_t version, uint16_t bits) {
        older_encoder::OlderStreamShape shape;
        shape.version = version;
        shape.bitsPerSample = bits;
        return older_encoder::BuildOlderStream(shape).file;
    };
    WaveShape eightBit;
    eightBit.bitsPerSample = 8;
    const struct {
        const char* name;
        Bytes file;
        unsigned fill;
    } cases[] = {
        {"3800 8-bit", older(3800, 8), 0},
        {"3850 8-bit", older(3850, 8), 128},
        {"3850 16-bit", older(3850, 16), 0},
        {"3990 8-bit", EncodeWaveBytes(BuildWave(eightBit), 2000, 256), 127},
        {"3990 16-bit", ReadFileBytes(Files().Image()), 0},
    };
    for (const auto& c : cases) {
        Decoder d(zem_open_memory(c.file.data(), c.file.size(), nullptr));
        ASSERT_NE(nullptr, d) << c.name;
        zem_stream_facts f;
        ASSERT_EQ(ZEM_OK, zem_get_facts(d.get(), &f));
        EXPECT_EQ(c.fill, f.fill_byte) << c.name;
    }
}

// Why a header is refused, from a file and from memory; nothing for a
// stream that opens or a file that cannot be read.
TEST(ZemApi, HeaderProblemSaysWhyAHeaderIsRefused) {
    const Bytes noise(5000, 0x42);
    const std::string noisePath = Files().Write("noise-header.zem", noise);
    const std::string reason = "no stream start was found in it";
    char text[64];
    EXPECT_EQ(long(reason.size()), zem_header_problem(noisePath.c_str(), text, sizeof text));
    EXPECT_EQ(reason, text);
    EXPECT_EQ(long(reason.size()), zem_header_problem_memory(noise.data(), noise.size(), text, sizeof text));
    EXPECT_EQ(reason, text);
    char small[6];
    EXPECT_EQ(long(reason.size()), zem_header_problem_memory(noise.data(), noise.size(), small, sizeof small));
    EXPECT_STREQ("no st", small);
    EXPECT_EQ(long(reason.size()), zem_header_problem(noisePath.c_str(), nullptr, 0));
    const Bytes image = ReadFileBytes(Files().Image());
    EXPECT_EQ(0, zem_header_problem(Files().Image().c_str(), text, sizeof text));
    EXPECT_STREQ("", text);
    EXPECT_EQ(0, zem_header_problem_memory(image.data(), image.size(), text, sizeof text));
    EXPECT_EQ(0, zem_header_problem(Files().Path("missing-header.zem").c_str(), text, sizeof text));
    EXPECT_EQ(ZEM_ERROR_INVALID_ARGUMENT, zem_header_problem(nullptr, text, sizeof text));
    EXPECT_EQ(ZEM_ERROR_INVALID_ARGUMENT, zem_header_problem("", text, sizeof text));
    EXPECT_EQ(ZEM_ERROR_INVALID_ARGUMENT, zem_header_problem(noisePath.c_str(), nullptr, 4));
    EXPECT_EQ(ZEM_ERROR_INVALID_ARGUMENT, zem_header_problem_memory(nullptr, 0, text, sizeof text));
    EXPECT_EQ(ZEM_ERROR_INVALID_ARGUMENT, zem_header_problem_memory(noise.data(), noise.size(), nullptr, 4));
}

// The digest checked over PCM handed in pieces, as several decoders read it:
// the stored header and trailer come from the library.
TEST(ZemApi, DigestOverPcmReadElsewhere) {
    const Bytes image = ReadFileBytes(Files().Image());
    Bytes wrongDigest = image;
    wrongDigest[36 + 5] ^= 1;
    Bytes noDigest = image;
    std::fill(noDigest.begin() + 36, noDigest.begin() + 52, 0);
    const Bytes pcm = Files().Pcm(0, kBlocks);
    Bytes changedPcm = pcm;
    changedPcm[1234] ^= 1;
    const struct {
        const char* name;
        const Bytes& stream;
        const Bytes& pcm;
        int opened, verdict;
    } cases[] = {
        {"clean", image, pcm, ZEM_OK, ZEM_OK},
        {"changed pcm", image, changedPcm, ZEM_OK, ZEM_ERROR_BAD_MD5},
        {"wrong digest", wrongDigest, pcm, ZEM_OK, ZEM_ERROR_BAD_MD5},
        {"no digest", noDigest, pcm, ZEM_ERROR_UNSUPPORTED, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Decoder d(zem_open_memory(c.stream.data(), c.stream.size(), nullptr));
        ASSERT_NE(nullptr, d);
        int error = 1;
        zem_digest* g = zem_digest_open(d.get(), &error);
        EXPECT_EQ(c.opened, error);
        d.reset();  // the check keeps what it needs
        if (!g)
            continue;
        for (size_t at = 0, piece = 1; at < c.pcm.size(); at += piece, piece = piece * 3 + 1)
            EXPECT_EQ(ZEM_OK, zem_digest_add(g, c.pcm.data() + at, std::min(piece, c.pcm.size() - at)));
        EXPECT_EQ(ZEM_OK, zem_digest_add(g, nullptr, 0));
        EXPECT_EQ(c.verdict, zem_digest_end(g));
    }
    int error = 1;
    EXPECT_EQ(nullptr, zem_digest_open(Open(Files().Link()).get(), &error));
    EXPECT_EQ(ZEM_ERROR_UNSUPPORTED, error);
    EXPECT_EQ(nullptr, zem_digest_open(nullptr, &error));
    EXPECT_EQ(ZEM_ERROR_INVALID_ARGUMENT, error);
    EXPECT_EQ(ZEM_ERROR_INVALID_ARGUMENT, zem_digest_add(nullptr, pcm.data(), 4));
    zem_digest* g = zem_digest_open(Open(Files().Image()).get(), nullptr);
    ASSERT_NE(nullptr, g);
    EXPECT_EQ(ZEM_ERROR_INVALID_ARGUMENT, zem_digest_add(g, nullptr, 4));
    EXPECT_EQ(ZEM_ERROR_BAD_MD5, zem_digest_end(g));  // no PCM added
    EXPECT_EQ(ZEM_ERROR_INVALID_ARGUMENT, zem_digest_end(nullptr));
}

// Told apart as zem_open() tells them, without the link's image.
TEST(ZemApi, IsLinkFileTellsLinksFromEverythingElse) {
    const std::string orphan = Files().Write("orphan.zlk", BytesOf("[Quillon Image Link File]\r\nImage File=gone.zem\r\n"));
    const std::string renamed = Files().Write("renamed.txt", ReadFileBytes(Files().Link()));
    const struct {
        std::string path;
        int expected;
    } cases[] = {{Files().Link(), 1},  {orphan, 1}, {renamed, 1}, {Files().Image(), 0},
                 {Files().Path("missing.zlk"), 1}, {Files().Path("missing.zem"), 0}, {"", ZEM_ERROR_INVALID_ARGUMENT}};
    for (const auto& c : cases)
        EXPECT_EQ(c.expected, zem_is_link_file(c.path.c_str())) << c.path;
    EXPECT_EQ(ZEM_ERROR_INVALID_ARGUMENT, zem_is_link_file(nullptr));
}

TEST(ZemApi, ErrorTextsAndVersion) {
    std::set<std::string> texts;
    for (int error = ZEM_OK; error >= ZEM_ERROR_BAD_MD5; --error)
        texts.insert(zem_error_text(error));
    EXPECT_EQ(13u, texts.size());
    EXPECT_STREQ("unknown error", zem_error_text(1002));
    EXPECT_STREQ(ZEM_PROJECT_VERSION, zem_version());
}

}  // namespace
