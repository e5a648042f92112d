// SPDX-License-Identifier: BSD-3-Clause
// The Media Foundation source as players use it, with ZemMediaSource.dll
// registered: MFCreateSourceReaderFromURL on streams of every sample format,
// on the bundled album's image and on a link file in a folder named beyond
// ASCII, with PCM output. Every byte is held against the PCM libzem decodes
// (what `zemtool decode` writes, silence for a damaged frame included),
// positions set to the start, a frame boundary, inside the last frame and the
// last block land exactly there, the duration is blocks / rate, and files
// that are no ZEM stream, or links without their image, are refused.
#include "tests/support/registered_server.h"
#include "tests/support/test_files.h"
#include "tools/make-samples/sample_set.h"

#include <zem/zem.h>

#include <windows.h>
#include <mfapi.h>
#include <mferror.h>
#include <mfidl.h>
#include <mfreadwrite.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

using namespace testing_support;
namespace fs = std::filesystem;

namespace {

const DWORD kAudio = static_cast<DWORD>(MF_SOURCE_READER_FIRST_AUDIO_STREAM);

template <class T>
struct Ref {
    T* p = nullptr;
    Ref() = default;
    Ref(const Ref&) = delete;
    Ref& operator=(const Ref&) = delete;
    ~Ref() {
        if (p) p->Release();
    }
    T* operator->() const { return p; }
    T** operator&() { return &p; }
};

int64_t TimeOf(uint64_t block, uint32_t rate) {
    return static_cast<int64_t>(static_cast<unsigned __int128>(block) * 10000000u / rate);
}

// What libzem decodes: every block, a failed frame's blocks as silence.
struct Reference {
    zem_stream_info info{};
    Bytes pcm;
    int failedFrames = 0;
};

Reference Decode(const fs::path& file) {
    Reference r;
    zem_decoder* d = zem_open(Utf8(file).c_str(), nullptr);
    if (!d) {
        ADD_FAILURE() << "the library does not open " << file;
        return r;
    }
    zem_get_info(d, &r.info);
    r.pcm.assign(size_t(r.info.total_blocks) * r.info.block_align, r.info.bits_per_sample == 8 ? 0x80 : 0);
    for (;;) {
        const int64_t at = zem_tell(d);
        const long got = zem_read(d, r.pcm.data() + size_t(at) * r.info.block_align, 65536);
        if (got == 0 || zem_tell(d) == at) break;
        r.failedFrames += got < 0;
    }
    zem_close(d);
    return r;
}

struct Read {
    HRESULT status = S_OK;
    int64_t firstTime = -1;
    Bytes pcm;
};

// Reads the samples from where the reader stands to the end, or `limit` samples.
Read ReadSamples(IMFSourceReader* reader, int limit = INT_MAX) {
    Read read;
    for (int samples = 0; samples < limit; ++samples) {
        DWORD flags = 0;
        LONGLONG time = 0;
        Ref<IMFSample> sample;
        read.status = reader->ReadSample(kAudio, 0, nullptr, &flags, &time, &sample);
        if (FAILED(read.status) || (flags & MF_SOURCE_READERF_ENDOFSTREAM)) return read;
        if (!sample.p) continue;
        if (read.firstTime < 0) read.firstTime = time;
        Ref<IMFMediaBuffer> buffer;
        if (FAILED(read.status = sample->ConvertToContiguousBuffer(&buffer))) return read;
        BYTE* data = nullptr;
        DWORD length = 0;
        buffer->Lock(&data, nullptr, &length);
        read.pcm.insert(read.pcm.end(), data, data + length);
        buffer->Unlock();
    }
    return read;
}

// A source reader on `file` delivering PCM of the file's own format, or null with the failure.
IMFSourceReader* OpenReader(const fs::path& file, HRESULT* status) {
    IMFSourceReader* reader = nullptr;
    *status = MFCreateSourceReaderFromURL(file.wstring().c_str(), nullptr, &reader);
    if (FAILED(*status)) return nullptr;
    Ref<IMFMediaType> type;
    if (FAILED(*status = MFCreateMediaType(&type)) || FAILED(*status = type->SetGUID(MF_MT_MAJOR_TYPE, MFMediaType_Audio)) ||
        FAILED(*status = type->SetGUID(MF_MT_SUBTYPE, MFAudioFormat_PCM)) ||
        FAILED(*status = reader->SetCurrentMediaType(kAudio, nullptr, type.p))) {
        reader->Release();
        return nullptr;
    }
    return reader;
}

// The whole read, the duration, and the reads from `blocks` on (three samples
// each), all held against the library's PCM; the library's failed frames.
int ExpectSource(const fs::path& file, const std::vector<uint64_t>& blocks) {
    const Reference expected = Decode(file);
    HRESULT status = S_OK;
    Ref<IMFSourceReader> reader;
    reader.p = OpenReader(file, &status);
    if (!reader.p) {
        ADD_FAILURE() << file << ": " << std::hex << status;
        return -1;
    }
    Ref<IMFMediaType> type;
    EXPECT_EQ(S_OK, reader->GetCurrentMediaType(kAudio, &type));
    UINT32 rate = 0, channels = 0, bits = 0;
    type->GetUINT32(MF_MT_AUDIO_SAMPLES_PER_SECOND, &rate);
    type->GetUINT32(MF_MT_AUDIO_NUM_CHANNELS, &channels);
    type->GetUINT32(MF_MT_AUDIO_BITS_PER_SAMPLE, &bits);
    EXPECT_EQ(expected.info.sample_rate, rate);
    EXPECT_EQ(expected.info.channels, channels);
    EXPECT_EQ(expected.info.bits_per_sample, bits);
    PROPVARIANT duration;
    PropVariantInit(&duration);
    EXPECT_EQ(S_OK, reader->GetPresentationAttribute(MF_SOURCE_READER_MEDIASOURCE, MF_PD_DURATION, &duration));
    EXPECT_EQ(uint64_t(TimeOf(expected.info.total_blocks, rate)), duration.uhVal.QuadPart);
    PropVariantClear(&duration);

    const Read whole = ReadSamples(reader.p);
    EXPECT_EQ(S_OK, whole.status);
    EXPECT_EQ(0, whole.firstTime);
    EXPECT_TRUE(whole.pcm == expected.pcm) << file << ": " << whole.pcm.size() << " bytes read, "
                                           << expected.pcm.size() << " decoded";
    std::printf("%s: %llu blocks at %u Hz, %u ch, %u bit, duration %llu, %zu bytes read as decoded\n",
                Utf8(file.filename()).c_str(), static_cast<unsigned long long>(expected.info.total_blocks), rate,
                channels, bits, static_cast<unsigned long long>(TimeOf(expected.info.total_blocks, rate)),
                whole.pcm.size());
    for (uint64_t block : blocks) {
        PROPVARIANT at;
        PropVariantInit(&at);
        at.vt = VT_I8;
        at.hVal.QuadPart = TimeOf(block, rate);
        EXPECT_EQ(S_OK, reader->SetCurrentPosition(GUID_NULL, at));
        const Read part = ReadSamples(reader.p, 3);
        EXPECT_EQ(S_OK, part.status);
        EXPECT_EQ(TimeOf(block, rate), part.firstTime) << "block " << block;
        const size_t from = size_t(block) * expected.info.block_align;
        EXPECT_TRUE(!part.pcm.empty() && part.pcm.size() <= expected.pcm.size() - from &&
                    std::equal(part.pcm.begin(), part.pcm.end(), expected.pcm.begin() + from))
            << "from block " << block;
    }
    return expected.failedFrames;
}

fs::path WriteStream(const TempDir& dir, unsigned channels, unsigned bits, unsigned rate) {
    const fs::path file = dir.File("s" + std::to_string(bits) + "-" + std::to_string(channels) + ".zem");
    zem_encoder_settings settings{rate, channels, bits, 2000, 1, 0};
    zem_encoder* encoder = zem_encoder_open(Utf8(file).c_str(), &settings, nullptr);
    EXPECT_NE(nullptr, encoder);
    if (!encoder) return file;
    const long blocks = 2000;
    Bytes pcm(size_t(blocks) * channels * bits / 8);
    for (size_t i = 0; i < pcm.size(); ++i) pcm[i] = static_cast<uint8_t>(i * 29 % 253);
    EXPECT_EQ(blocks, zem_encoder_write(encoder, pcm.data(), blocks));
    EXPECT_EQ(ZEM_OK, zem_encoder_finish(encoder));
    return file;
}

// The album's image, encoded once for the tests that take it.
const samples::SampleFile& AlbumImage() {
    static const samples::SampleFile image = samples::AlbumImage();
    return image;
}

class SourceReader : public testing::Test {
protected:
    void SetUp() override {
        CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        ASSERT_EQ(S_OK, MFStartup(MF_VERSION, MFSTARTUP_NOSOCKET));
    }
    void TearDown() override {
        MFShutdown();
        CoUninitialize();
    }
};

TEST_F(SourceReader, StreamsOfEveryFormat) {
    TempDir dir;
    const unsigned formats[][3] = {{1, 8, 8000}, {2, 16, 44100}, {1, 24, 96000}, {2, 24, 48000}};
    for (const auto& format : formats) EXPECT_EQ(0, ExpectSource(WriteStream(dir, format[0], format[1], format[2]), {1999}));
}

TEST_F(SourceReader, AlbumImageSeeksAndALinkBeyondAscii) {
    TempDir dir;
    const fs::path folder = dir.Path() / fs::path(L"Tallowmere \u00C5lbum \u266B");
    fs::create_directories(folder);
    const samples::SampleFile cue = samples::AlbumCueSheet();
    const samples::SampleFile& image = AlbumImage();
    const fs::path imagePath = folder / fs::path(image.name).filename();
    WriteFileBytes(folder / fs::path(cue.name).filename(), cue.bytes);
    WriteFileBytes(imagePath, image.bytes);
    zem_cue* sheet = zem_cue_open(Utf8(folder / fs::path(cue.name).filename()).c_str(), nullptr);
    ASSERT_NE(nullptr, sheet);
    ASSERT_EQ(3, zem_cue_write_links(sheet, nullptr, nullptr));
    zem_cue_close(sheet);

    // The start, the second frame's first block, inside the last frame and the last block.
    const uint64_t total = samples::kAlbumTotalBlocks;
    EXPECT_EQ(0, ExpectSource(imagePath, {0, samples::kImageBlocksPerFrame, total - 5000, total - 1}));
    // Track 2 starts inside the image's first frame and ends inside its second.
    const fs::path link = folder / "Corvane - Tallowmere - 02 - Saltglass.zlk";
    ASSERT_TRUE(fs::exists(link));
    EXPECT_EQ(0, ExpectSource(link, {0, 1}));
}

TEST_F(SourceReader, DamagedFrameReadsAsSilenceOfItsLength) {
    TempDir dir;
    Bytes bytes = AlbumImage().bytes;
    bytes[bytes.size() / 2] ^= 0x5A;
    const fs::path file = dir.File("damaged.zem");
    WriteFileBytes(file, bytes);
    EXPECT_EQ(1, ExpectSource(file, {}));
}

TEST_F(SourceReader, RefusesForeignFilesAndLinksWithoutTheirImage) {
    TempDir dir;
    const fs::path wave = dir.File("wave.zem"), empty = dir.File("empty.qrb"), orphan = dir.File("orphan.zlk");
    WriteFileBytes(wave, BytesOf(std::string("RIFF\x24\0\0\0WAVEfmt \x10\0\0\0", 20)));
    WriteFileBytes(empty, Bytes());
    WriteFileBytes(orphan, BytesOf("[Quillon Image Link File]\r\nImage File=gone.zem\r\nStart Block=0\r\n"
                                   "Finish Block=10\r\n"));
    for (const fs::path& file : {wave, empty, orphan}) {
        HRESULT status = S_OK;
        Ref<IMFSourceReader> reader;
        reader.p = OpenReader(file, &status);
        EXPECT_EQ(nullptr, reader.p) << file;
        EXPECT_TRUE(FAILED(status)) << file;
    }
}

const std::vector<std::wstring> kClassKeys = {L"CLSID\\{EC198A89-9887-48A0-AA63-A306634411D0}"};
const std::wstring kHandlers = L"SOFTWARE\\Microsoft\\Windows Media Foundation\\ByteStreamHandlers\\";
const std::vector<std::wstring> kRegisteredKeys = {
    L"Software\\Classes\\CLSID\\{EC198A89-9887-48A0-AA63-A306634411D0}\\InprocServer32", kHandlers + L".zem",
    kHandlers + L".qrb", kHandlers + L".zlk", kHandlers + L"audio/x-zem"};

}  // namespace

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    testing::AddGlobalTestEnvironment(new RegisteredServer(L"ZemMediaSource.dll", kClassKeys, kRegisteredKeys));
    return RUN_ALL_TESTS();
}
