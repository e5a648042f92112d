// SPDX-License-Identifier: BSD-3-Clause
// Writes a seed corpus for one fuzz target from the test fixture builders:
//   make_seeds TARGET FOLDER
// Existing seeds of the same names are overwritten; other files are kept.
#include "fuzz/older_seeds.h"
#include "fuzz/refill_seeds.h"
#include "io/memory_stream.h"
#include "tag/tag_block.h"
#include "tests/support/test_files.h"
#include "tests/support/wave_fixture.h"
#include "tests/support/zem_fixture.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

using namespace zem;

namespace {

using testing_support::Bytes;
using testing_support::ZemFixture;

Bytes Concat(Bytes front, const Bytes& back) {
    front.insert(front.end(), back.begin(), back.end());
    return front;
}

// Saves `fields` behind `front` through the library's own tag writer.
Bytes Tagged(Bytes front, const std::vector<std::pair<const WCHAR*, const WCHAR*>>& fields, int id3v1 = 0) {
    CMemoryStream io(std::move(front));
    {
        CTagBlock tag(&io, 1);
        for (const auto& field : fields)
            tag.SetFieldText(field.first, field.second);
        const uint8_t cover[] = {0x89, 'P', 'N', 'G', 0, 1, 2};
        if (!id3v1)
            tag.SetFieldBytes(WTXT("Cover"), cover, sizeof cover, 0x2);
        tag.Save(id3v1);
    }
    return io.Bytes();
}

Bytes Id3v1(const std::string& title, uint8_t track, uint8_t genre) {
    Bytes record(128, 0);
    record[0] = 'T', record[1] = 'A', record[2] = 'G';
    for (size_t i = 0; i < title.size() && i < 30; ++i)
        record[3 + i] = static_cast<uint8_t>(title[i]);
    record[126] = track;
    record[127] = genre;
    return record;
}

// An older-version tag with a 32-byte header in front of its items.
Bytes OldTagWithHeader() {
    Bytes items;
    testing_support::PutU32(items, 4);
    testing_support::PutU32(items, 1);
    testing_support::PutText(items, "Artist");
    items.push_back(0);
    testing_support::PutText(items, "Caf\xE9");
    auto block = [&items](uint32_t flags) {
        Bytes b;
        testing_support::PutText(b, "ZEMTAGEX");
        testing_support::PutU32(b, 1000);
        testing_support::PutU32(b, static_cast<uint32_t>(items.size()) + 32);
        testing_support::PutU32(b, 1);
        testing_support::PutU32(b, flags);
        b.insert(b.end(), 8, 0);
        return b;
    };
    return Concat(Concat(block(0xA0000000u), items), block(0x80000000u));
}

std::vector<Bytes> TagSeeds() {
    const Bytes audio(300, 0x42);
    const std::vector<std::pair<const WCHAR*, const WCHAR*>> fields = {
        {WTXT("Artist"), WTXT("Band")}, {WTXT("Title"), WTXT("Caf\u00E9 \u20AC")}, {WTXT("Track"), WTXT("3")},
        {WTXT("Genre"), WTXT("JPop")}};
    return {Tagged(audio, fields),
            Tagged({}, fields),
            Tagged(audio, fields, 1),
            Concat(Tagged(audio, fields), Id3v1("Stacked", 2, 8)),
            Concat(audio, Id3v1("Only a record", 0, 255)),
            Concat(audio, OldTagWithHeader()),
            Bytes{}};
}

std::vector<Bytes> HeaderSeeds() {
    std::vector<ZemFixture> fixtures;
    fixtures.push_back(testing_support::CurrentZemFixture(3990));
    ZemFixture extra = testing_support::CurrentZemFixture(3980);
    extra.descriptorExtraBytes = 8;
    extra.headerExtraBytes = 4;
    extra.terminatingData = Bytes(16, 0x33);
    fixtures.push_back(extra);
    ZemFixture synthesised = testing_support::CurrentZemFixture(3990);
    synthesised.formatFlags = 0x20;
    fixtures.push_back(synthesised);
    ZemFixture empty = testing_support::CurrentZemFixture(3990);
    empty.frames.clear();
    fixtures.push_back(empty);
    for (uint16_t version : {3950, 3920, 3850, 3800, 3700}) {
        ZemFixture old = testing_support::OldZemFixture(version);
        old.formatFlags = version == 3800 ? 0x14 : 0x0;
        fixtures.push_back(old);
    }
    ZemFixture id3 = testing_support::CurrentZemFixture(3990);
    id3.id3.present = true;
    id3.id3.lengthField = 40;
    id3.id3.zeroPadding = 6;
    id3.junk = Bytes(5, 0x01);
    fixtures.push_back(id3);
    ZemFixture shortTable = testing_support::OldZemFixture(3950);
    shortTable.formatFlags = 0x10;
    shortTable.seekCountField = 1;
    fixtures.push_back(shortTable);
    std::vector<Bytes> seeds;
    for (const ZemFixture& fixture : fixtures)
        seeds.push_back(testing_support::BuildZemBytes(fixture));
    seeds.push_back(Tagged(testing_support::BuildZemBytes(fixtures.front()), {{WTXT("Title"), WTXT("x")}}));
    return seeds;
}

std::vector<Bytes> LinkSeeds() {
    using testing_support::BytesOf;
    const std::string usual = "[Quillon Image Link File]\r\nImage File=track01.zem\r\nStart Block=588\r\n"
                              "Finish Block=-1\r\n\r\n----- ZEM TAG (DO NOT TOUCH!!!) -----\r\n";
    return {Tagged(BytesOf(usual), {{WTXT("Artist"), WTXT("Band")}, {WTXT("Track"), WTXT("1")}}),
            BytesOf("Finish Block=9\nStart Block= 5\nImage File=D:\\Images\\cd.zem\n[Quillon Image Link File]"),
            BytesOf("[Quillon Image Link File]\r\nImage File=Caf\xC3\xA9.zem\r\nStart Block=x\r\nFinish Block=+7\r\n"),
            BytesOf("[Quillon Image Link File]\r\nImage File=Caf\xE9.zem\r\nStart Block=-2147483648\r\n"
                    "Finish Block=99999999999\r\n"),
            BytesOf("[Quillon Image Link File]\r\nImage File=" + std::string(300, 'n') +
                    ".zem\r\nStart Block=0\r\nFinish Block=0\r\n"),
            BytesOf("[quillon image link file]\r\nImage File=a.zem\r\nStart Block=0\r\nFinish Block=0\r\n")};
}

// Links to the image beside them (image.zem, 3000 blocks), by every kind of path.
std::vector<Bytes> LinkFileSeeds() {
    std::vector<Bytes> seeds;
    const char* const images[] = {"image.zem", "./image.zem", "sub\\..\\image.zem", "IMAGE.ZEM", "missing.zem"};
    const char* const ranges[][2] = {{"588", "-1"}, {"0", "3000"}, {"1000", "1700"}, {"2999", "5000"}, {"-5", "7"}};
    for (size_t i = 0; i < 5; ++i) {
        seeds.push_back(testing_support::BytesOf(std::string("[Quillon Image Link File]\r\nImage File=") + images[i] +
                                                 "\r\nStart Block=" + ranges[i][0] + "\r\nFinish Block=" +
                                                 ranges[i][1] + "\r\n\r\n----- ZEM TAG (DO NOT TOUCH!!!) -----\r\n"));
    }
    return seeds;
}

// The edit targets read a few choice bytes in front of the file.
std::vector<Bytes> WithPrefix(const std::vector<Bytes>& files, const Bytes& prefix) {
    std::vector<Bytes> seeds;
    for (const Bytes& file : files)
        seeds.push_back(Concat(prefix, file));
    return seeds;
}

std::vector<Bytes> TagEditSeeds() {
    const Bytes stream = testing_support::BuildZemBytes(testing_support::CurrentZemFixture(3990));
    const Bytes old = testing_support::BuildZemBytes(testing_support::OldZemFixture(3950));
    const std::vector<std::pair<const WCHAR*, const WCHAR*>> fields = {{WTXT("Artist"), WTXT("Band")},
                                                                       {WTXT("Title"), WTXT("A long title")}};
    std::vector<Bytes> files = TagSeeds();
    files.push_back(Tagged(stream, fields));
    files.push_back(Concat(Tagged(stream, fields), Id3v1("Short", 4, 17)));
    files.push_back(Concat(stream, Id3v1("Only a record", 0, 255)));
    files.push_back(Tagged(old, fields));
    return WithPrefix(files, {0x05, 0x01, 0x20});
}

std::vector<Bytes> ProfileSeeds() {
    using testing_support::BytesOf;
    std::string utf16 = "\xFF\xFE";
    for (char c : std::string("[Window Settings]\r\nSplitter Position=192\r\n"))
        utf16 += std::string{c, '\0'};
    return WithPrefix({BytesOf("; settings\r\n[General]\r\nTemplate=ARTIST - TITLE\r\nLast Directory=C:\\Music\r\n"
                               "\r\n[Other]\r\nx = \"quoted\"\r\n"),
                       BytesOf("\xEF\xBB\xBF[S]\nA=\xFF\nB=caf\xC3\xA9\nC"),
                       BytesOf("top=1\n[ListView Settings]\nColumn 1 Width=168\n[ListView Settings]\nCol\xE9=2"),
                       BytesOf(utf16), Bytes{}},
                      {0x00, 0x00, 0x00, 0x07});
}

}  // namespace

// Cue sheets as rippers write them, and the reader's corner cases.
std::vector<Bytes> CueSheetSeeds() {
    const char* const sheets[] = {
        "\xEF\xBB\xBFREM GENRE Folk\r\nPERFORMER \"Corvane\"\r\nTITLE \"Tallowmere\"\r\n"
        "FILE \"C:\\Music\\Tallowmere.zem\" WAVE\r\n  TRACK 01 AUDIO\r\n    TITLE \"Wrenfall\"\r\n"
        "    INDEX 01 00:00:00\r\n  TRACK 02 AUDIO\r\n    TITLE \"A/B: C?\"\r\n    PERFORMER \"Guest\"\r\n"
        "    INDEX 00 02:14:51\r\n    INDEX 01 02:15:26\r\n",
        "TRACK 01 AUDIO\nTRACK 02 AUDIO\nTRACK 10 AUDIO\nTITLE \"open\nINDEX 01 100:12:34\n",
        "CDTEXTFILE \"disc.cdt\"\nFILE \"sub/x.zem\" WAVE\nTRACK 01 AUDIO\nINDEX 01 -5:02:33\nINDEX 01 \"",
    };
    std::vector<Bytes> seeds;
    for (const char* sheet : sheets)
        seeds.push_back(testing_support::BytesOf(sheet));
    return seeds;
}

// Real encoded streams: each level, both channel counts, every sample size,
// small frames so that an input holds several.
std::vector<Bytes> FrameSeeds() {
    std::vector<Bytes> seeds;
    int variant = 0;
    for (int level : {1000, 2000, 3000, 4000, 5000})
        for (uint16_t bits : {8, 16, 24}) {
            testing_support::WaveShape shape;
            shape.channels = static_cast<uint16_t>(1 + variant % 2);
            shape.bitsPerSample = bits;
            shape.blocks = 700;
            shape.signal = variant % 4 == 3 ? testing_support::Signal::Silence : testing_support::Signal::Music;
            shape.seed = static_cast<uint32_t>(++variant);
            seeds.push_back(testing_support::EncodeWaveBytes(testing_support::BuildWave(shape), level, 256));
        }
    return seeds;
}

// Wave files as the encoder meets them: each sample size and channel count,
// extra chunks, trailing bytes, and data sizes that a writer to a pipe leaves.
std::vector<Bytes> WaveSeeds() {
    std::vector<Bytes> seeds;
    for (uint16_t bits : {8, 16, 24}) {
        testing_support::WaveShape shape;
        shape.bitsPerSample = bits;
        shape.channels = bits == 16 ? 2 : 1;
        shape.blocks = 300;
        seeds.push_back(testing_support::BuildWave(shape));
    }
    testing_support::WaveShape shape;
    shape.blocks = 200;
    shape.extraChunk = testing_support::BytesOf("LIST");
    testing_support::PutU32(shape.extraChunk, 4);
    testing_support::PutText(shape.extraChunk, "abcd");
    shape.trailing = testing_support::BytesOf("id3 tail");
    seeds.push_back(testing_support::BuildWave(shape));
    for (uint32_t dataSize : {0u, 0xFFFFFFFFu, 0x7FFFF000u}) {
        Bytes piped = testing_support::BuildWave(shape);
        const size_t at = piped.size() - 200 * 4 - shape.trailing.size() - 4;
        for (int i = 0; i < 4; ++i)
            piped[at + i] = static_cast<uint8_t>(dataSize >> (8 * i));
        seeds.push_back(piped);
    }
    return seeds;
}

// A folder of each kind of entry, names that collide, and dot stems: each
// entry a byte of kind and flags, then its name and a newline.
std::vector<Bytes> ZemfsNameSeeds() {
    using Folder = std::vector<std::pair<uint8_t, std::string>>;
    const Folder folders[] = {
        {{0x00, "a.zem"}, {0x00, "a.zlk"}, {0x20, "a.cue"}, {0x00, "a.wav"}, {0x40, "a"}, {0x00, "cover.jpg"}},
        {{0x20, ".cue"}, {0x20, "..cue"}, {0x20, "...cue"}, {0x10, ".zem"}, {0x10, "..zem"}},
        {{0x10, "x.zem"}, {0x20, "x.cue"}, {0x00, "x.zem.wav"}, {0x40, "x.zem"}, {0x00, "X.ZLK"}},
    };
    std::vector<Bytes> seeds;
    for (const Folder& folder : folders) {
        Bytes seed;
        for (const auto& [flags, name] : folder) {
            seed.push_back(flags);
            seed.insert(seed.end(), name.begin(), name.end());
            seed.push_back('\n');
        }
        seeds.push_back(seed);
    }
    return seeds;
}

// Layouts (header, trailer, block size, blocks, grid, a failing frame), reads and a root and image path.
std::vector<Bytes> ZemfsReadSeeds() {
    return {Bytes{15, 3, 3, 0x10, 0x00, 64, 64, 2, 1, 0, 9, 0x00, 0, 0, 0x10, 0x00, 0x00, 0x2C, 0x10, 0x00},
            Bytes{0, 0, 0, 0x00, 0x05, 4, 2, 0, 0, 0x00, 0x00, 0x00, 0x00, 0x20, 's', 'r', 'c', '\n', '.', '.', '/'},
            Bytes{20, 200, 5, 0x0B, 0xB8, 200, 200, 7, 1, 0x02, 0x00, 0x00, 0x30, 0x39, 0x23, 0x28}};
}

// The GStreamer element's inputs: a stream or a link text, a script of
// actions (deterministic bytes) and the file's length at the end.
std::vector<Bytes> GstElementSeeds() {
    std::vector<Bytes> files = FrameSeeds();
    files.resize(4);
    files.push_back(testing_support::BytesOf("[Quillon Image Link File]\r\nImage File=image.zem\r\n"
                                             "Start Block=100\r\nFinish Block=600\r\n"));
    std::vector<Bytes> seeds;
    uint32_t state = 12345;
    for (size_t i = 0; i < files.size(); ++i) {
        const Bytes& file = files[i];
        Bytes seed = file;
        for (int j = 0; j < 160; ++j) {
            state = state * 1103515245u + 12345u;
            seed.push_back(static_cast<uint8_t>(state >> 16));
        }
        // Read from the end: 32 steps, push or pull mode, the extension (.zem, .qrb; .zlk for the link).
        seed.push_back(31);
        seed.push_back(static_cast<uint8_t>(i % 2));
        seed.push_back(static_cast<uint8_t>(i + 1 == files.size() ? 2 : i % 2));
        testing_support::PutU32(seed, static_cast<uint32_t>(file.size()));
        seeds.push_back(seed);
    }
    return seeds;
}

// Streams, some cut short, each followed by a call sequence for the C API
// (see api_calls_fuzzer.cpp): opened as a stream, through a link file or as a
// range, then reads, seeks, frame queries, part copies, tags and details.
std::vector<Bytes> ApiCallSeeds() {
    std::vector<Bytes> streams = FrameSeeds();
    for (Bytes& old : OlderDecoderSeeds())
        streams.push_back(std::move(old));
    const uint8_t calls[][4] = {{2, 0, 3, 1}, {0, 0, 2, 0}, {1, 3, 0, 0}, {2, 44, 1, 0}, {0, 255, 0, 0},
                                {3, 9, 0, 0}, {4, 0, 0, 0}, {5, 1, 0, 0}, {6, 0, 1, 65}, {7, 12, 0, 0},
                                {0, 10, 1, 0}, {7, 3, 0, 0}};
    std::vector<Bytes> seeds;
    for (size_t i = 0; i < streams.size(); ++i) {
        Bytes seed = streams[i];
        if (i % 3 == 2)
            seed.resize(seed.size() * 2 / 3);  // a file cut short
        const uint8_t open[4] = {static_cast<uint8_t>(i % 3), static_cast<uint8_t>(i), 5, 9};
        seed.insert(seed.end(), open, open + 4);
        for (const auto& call : calls)
            seed.insert(seed.end(), call, call + 4);
        seed.push_back(static_cast<uint8_t>(sizeof calls / sizeof calls[0]));
        seeds.push_back(std::move(seed));
    }
    return seeds;
}

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "Usage: make_seeds tag_reader|header_reader|link_text|link_file|cue_sheet|"
                             "frame_decoder|profile_document|tag_edit|decode_planning|wave_reader|zemfs_names|"
                             "zemfs_read|api_calls|gst_element|shell_properties FOLDER\n");
        return 2;
    }
    const std::string target = argv[1];
    std::vector<Bytes> seeds;
    if (target == "tag_reader")
        seeds = TagSeeds();
    else if (target == "header_reader")
        seeds = HeaderSeeds();
    else if (target == "link_text")
        seeds = LinkSeeds();
    else if (target == "link_file")
        seeds = LinkFileSeeds();
    else if (target == "cue_sheet")
        seeds = CueSheetSeeds();
    else if (target == "tag_edit")
        seeds = TagEditSeeds();
    else if (target == "profile_document")
        seeds = ProfileSeeds();
    else if (target == "frame_decoder" || target == "decode_planning") {
        seeds = FrameSeeds();
        for (Bytes& old : OlderDecoderSeeds())
            seeds.push_back(std::move(old));
        for (Bytes& crossing : RefillCrossingSeeds())
            seeds.push_back(std::move(crossing));
        if (target == "decode_planning")
            for (Bytes& header : HeaderSeeds())
                seeds.push_back(std::move(header));
    }
    else if (target == "wave_reader")
        seeds = WaveSeeds();
    else if (target == "zemfs_names")
        seeds = ZemfsNameSeeds();
    else if (target == "zemfs_read")
        seeds = ZemfsReadSeeds();
    else if (target == "api_calls")
        seeds = ApiCallSeeds();
    else if (target == "gst_element")
        seeds = GstElementSeeds();
    else if (target == "shell_properties") {
        // Whole streams, older ones, damaged headers and tags: what a folder of files hands the shell.
        seeds = FrameSeeds();
        for (std::vector<Bytes> more : {OlderDecoderSeeds(), HeaderSeeds(), TagSeeds()})
            for (Bytes& seed : more)
                seeds.push_back(std::move(seed));
    }
    else {
        std::fprintf(stderr, "make_seeds: unknown target %s\n", argv[1]);
        return 2;
    }
    const std::filesystem::path folder = argv[2];
    std::filesystem::create_directories(folder);
    for (size_t i = 0; i < seeds.size(); ++i)
        testing_support::WriteFileBytes(folder / ("seed-" + std::to_string(i)), seeds[i]);
    std::printf("%zu seeds for %s in %s\n", seeds.size(), target.c_str(), folder.string().c_str());
    return 0;
}
