// SPDX-License-Identifier: BSD-3-Clause
// The property handler as Explorer uses it, with ZemProperties.dll registered:
// the class read from the PropertyHandlers key of the extension, a stream from
// SHCreateStreamOnFileEx (a link file by its path), and every value held
// against what libzem says of the same file. The bundled album's image and its
// links, written into a folder named beyond ASCII, and streams of every sample
// format with a full tag; damaged, foreign and empty files are refused.
// The program registers the server itself with regsvr32 before the tests and
// unregisters it after them, and checks that the registry is as it was.
#include "tests/support/registered_server.h"
#include "tests/support/test_files.h"
#include "tools/make-samples/sample_set.h"

#include <zem/zem.h>

#include <windows.h>
#include <propsys.h>
#include <shlwapi.h>
#include <shobjidl.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

using namespace testing_support;
namespace fs = std::filesystem;

namespace {

const std::wstring kHandlersKey = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\PropertySystem\\PropertyHandlers\\";
const GUID kAudioSet = {0x64440490, 0x4c8b, 0x11d1, {0x8b, 0x70, 0x08, 0x00, 0x36, 0xb1, 0x1a, 0x03}};
const GUID kMusicSet = {0x56a3372e, 0xce9c, 0x11d2, {0x9f, 0x0e, 0x00, 0x60, 0x97, 0xc6, 0x86, 0xf6}};
const GUID kSummarySet = {0xf29f85e0, 0x4ff9, 0x1068, {0xab, 0x91, 0x08, 0x00, 0x2b, 0x27, 0xb3, 0xd9}};

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
    void** Void() { return reinterpret_cast<void**>(&p); }
};

struct ComScope {
    ComScope() { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
    ~ComScope() { CoUninitialize(); }
};

// What the handler must say, worked out here from the library's answers.
struct Expected {
    uint64_t duration = 0;
    uint32_t rate = 0, channels = 0, bits = 0, bitrate = 0, track = 0, year = 0;
    std::string title, artist, album, genre, comment;
};

std::string Tag(zem_decoder* d, const char* field) {
    const char* text = zem_get_tag(d, field);
    return text ? text : "";
}

// A link says nothing of its image's compression: no bitrate for it.
Expected FromLibrary(const fs::path& file, bool withBitrate) {
    Expected e;
    int error = 0;
    zem_decoder* d = zem_open(Utf8FromWide(ToWide(file)).c_str(), &error);
    if (!d) {
        ADD_FAILURE() << "the library does not open " << file << ": " << zem_error_text(error);
        return e;
    }
    zem_stream_info info{};
    zem_get_info(d, &info);
    e.rate = info.sample_rate;
    e.channels = info.channels;
    e.bits = info.bits_per_sample;
    e.duration = static_cast<uint64_t>(static_cast<unsigned __int128>(info.total_blocks) * 10000000u / info.sample_rate);
    if (withBitrate) {
        const unsigned __int128 bits = static_cast<unsigned __int128>(fs::file_size(file)) * 8u * info.sample_rate;
        e.bitrate = static_cast<uint32_t>((bits + info.total_blocks / 2) / info.total_blocks);
    }
    e.title = Tag(d, "Title");
    e.artist = Tag(d, "Artist");
    e.album = Tag(d, "Album");
    e.genre = Tag(d, "Genre");
    e.comment = Tag(d, "Comment");
    // The numbers the texts start with ("3/12", "1999-05-01").
    e.track = static_cast<uint32_t>(std::atoi(Tag(d, "Track").c_str()));
    e.year = static_cast<uint32_t>(std::atoi(Tag(d, "Year").c_str()));
    zem_close(d);
    return e;
}

CLSID HandlerOf(const std::wstring& extension) {
    wchar_t text[64] = {};
    DWORD bytes = sizeof(text);
    CLSID id = CLSID_NULL;
    if (RegGetValueW(HKEY_LOCAL_MACHINE, (kHandlersKey + extension).c_str(), nullptr, RRF_RT_REG_SZ, nullptr, text,
                     &bytes) != ERROR_SUCCESS ||
        FAILED(CLSIDFromString(text, &id)))
        ADD_FAILURE() << "no property handler registered for " << Utf8FromWide(extension);
    return id;
}

// Creates the extension's handler and initialises it as Explorer does; the result of Initialize.
HRESULT OpenStore(const fs::path& file, Ref<IPropertyStore>& store) {
    const CLSID id = HandlerOf(file.extension().wstring());
    Ref<IUnknown> handler;
    HRESULT status = CoCreateInstance(id, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, handler.Void());
    if (FAILED(status)) return status;
    Ref<IInitializeWithStream> withStream;
    if (SUCCEEDED(handler->QueryInterface(IID_IInitializeWithStream, withStream.Void()))) {
        Ref<IStream> stream;
        status = SHCreateStreamOnFileEx(file.wstring().c_str(), STGM_READ | STGM_SHARE_DENY_WRITE,
                                        FILE_ATTRIBUTE_NORMAL, FALSE, nullptr, &stream);
        if (FAILED(status)) return status;
        status = withStream->Initialize(stream.p, STGM_READ);
        // A handler takes one file in its life.
        if (SUCCEEDED(status)) {
            EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_ALREADY_INITIALIZED), withStream->Initialize(stream.p, STGM_READ));
        }
    } else {
        Ref<IInitializeWithFile> withFile;
        status = handler->QueryInterface(IID_IInitializeWithFile, withFile.Void());
        if (FAILED(status)) return status;
        status = withFile->Initialize(file.wstring().c_str(), STGM_READ);
    }
    if (SUCCEEDED(status)) status = handler->QueryInterface(IID_IPropertyStore, store.Void());
    return status;
}

struct Value {
    PROPVARIANT v;
    Value() { PropVariantInit(&v); }
    ~Value() { PropVariantClear(&v); }
};

std::string Narrow(const wchar_t* wide) { return wide ? Utf8FromWide(wide) : std::string(); }

void ExpectNumber(IPropertyStore* store, const GUID& set, DWORD id, uint32_t expected, const char* name) {
    Value value;
    ASSERT_EQ(S_OK, store->GetValue(PROPERTYKEY{set, id}, &value.v));
    if (expected == 0) {
        EXPECT_EQ(VT_EMPTY, value.v.vt) << name;
    } else {
        ASSERT_EQ(VT_UI4, value.v.vt) << name;
        EXPECT_EQ(expected, value.v.ulVal) << name;
    }
}

void ExpectText(IPropertyStore* store, const GUID& set, DWORD id, const std::string& expected, bool list,
                const char* name) {
    Value value;
    ASSERT_EQ(S_OK, store->GetValue(PROPERTYKEY{set, id}, &value.v));
    if (expected.empty()) {
        EXPECT_EQ(VT_EMPTY, value.v.vt) << name;
    } else if (list) {
        ASSERT_EQ(VT_VECTOR | VT_LPWSTR, value.v.vt) << name;
        ASSERT_EQ(1u, value.v.calpwstr.cElems) << name;
        EXPECT_EQ(expected, Narrow(value.v.calpwstr.pElems[0])) << name;
    } else {
        ASSERT_EQ(VT_LPWSTR, value.v.vt) << name;
        EXPECT_EQ(expected, Narrow(value.v.pwszVal)) << name;
    }
}

// Checks every value, that nothing else is listed, and that nothing is writable; prints the values.
void ExpectStore(IPropertyStore* store, const Expected& e, const std::string& label) {
    Value duration;
    ASSERT_EQ(S_OK, store->GetValue(PROPERTYKEY{kAudioSet, 3}, &duration.v));
    ASSERT_EQ(VT_UI8, duration.v.vt);
    EXPECT_EQ(e.duration, duration.v.uhVal.QuadPart);
    ExpectNumber(store, kAudioSet, 5, e.rate, "SampleRate");
    ExpectNumber(store, kAudioSet, 7, e.channels, "ChannelCount");
    ExpectNumber(store, kAudioSet, 6, e.bits, "SampleSize");
    ExpectNumber(store, kAudioSet, 4, e.bitrate, "EncodingBitrate");
    ExpectNumber(store, kMusicSet, 7, e.track, "TrackNumber");
    ExpectNumber(store, kMusicSet, 5, e.year, "Year");
    ExpectText(store, kSummarySet, 2, e.title, false, "Title");
    ExpectText(store, kMusicSet, 2, e.artist, true, "Artist");
    ExpectText(store, kMusicSet, 4, e.album, false, "AlbumTitle");
    ExpectText(store, kMusicSet, 11, e.genre, true, "Genre");
    ExpectText(store, kSummarySet, 6, e.comment, false, "Comment");
    DWORD count = 0;
    ASSERT_EQ(S_OK, store->GetCount(&count));
    const unsigned present = 1 + (e.rate != 0) + (e.channels != 0) + (e.bits != 0) + (e.bitrate != 0) +
                             (e.track != 0) + (e.year != 0) + !e.title.empty() + !e.artist.empty() +
                             !e.album.empty() + !e.genre.empty() + !e.comment.empty();
    EXPECT_EQ(present, count);
    PROPERTYKEY key{};
    EXPECT_EQ(E_INVALIDARG, store->GetAt(count, &key));
    Ref<IPropertyStoreCapabilities> capabilities;
    ASSERT_EQ(S_OK, store->QueryInterface(IID_IPropertyStoreCapabilities, capabilities.Void()));
    for (DWORD i = 0; i < count; ++i) {
        ASSERT_EQ(S_OK, store->GetAt(i, &key));
        EXPECT_EQ(S_FALSE, capabilities->IsPropertyWritable(key));
    }
    Value empty;
    EXPECT_EQ(STG_E_ACCESSDENIED, store->SetValue(PROPERTYKEY{kSummarySet, 2}, empty.v));
    EXPECT_EQ(STG_E_ACCESSDENIED, store->Commit());
    std::printf("%s: duration %llu, %u Hz, %u ch, %u bit, %u bit/s, title \"%s\", artist \"%s\", album \"%s\", "
                "track %u, year %u, genre \"%s\", comment \"%s\"\n",
                label.c_str(), static_cast<unsigned long long>(e.duration), e.rate, e.channels, e.bits, e.bitrate,
                e.title.c_str(), e.artist.c_str(), e.album.c_str(), e.track, e.year, e.genre.c_str(),
                e.comment.c_str());
}

struct Format {
    unsigned channels, bits, rate;
};

// A stream of `format` (3000 blocks) with every field of the tag set.
void WriteTaggedStream(const fs::path& file, const Format& format) {
    zem_encoder_settings settings{format.rate, format.channels, format.bits, 2000, 1, 0};
    zem_encoder* encoder = zem_encoder_open(Utf8FromWide(ToWide(file)).c_str(), &settings, nullptr);
    ASSERT_NE(nullptr, encoder);
    const long blocks = 3000;
    std::vector<uint8_t> pcm(size_t(blocks) * format.channels * format.bits / 8);
    for (size_t i = 0; i < pcm.size(); ++i) pcm[i] = static_cast<uint8_t>(i * 37 % 251);
    ASSERT_EQ(blocks, zem_encoder_write(encoder, pcm.data(), blocks));
    ASSERT_EQ(ZEM_OK, zem_encoder_finish(encoder));
    zem_tag* tag = zem_tag_open(Utf8FromWide(ToWide(file)).c_str(), nullptr);
    ASSERT_NE(nullptr, tag);
    const char* fields[][2] = {{"Title", "Gr\xC3\xBCn \xE2\x99\xAB"}, {"Artist", "\xC3\x85sa"},
                               {"Album", "Forged"}, {"Track", "3/12"}, {"Year", "1999-05-01"},
                               {"Genre", "Folk"}, {"Comment", "made by the test"}};
    for (auto& field : fields) ASSERT_EQ(ZEM_OK, zem_tag_set(tag, field[0], field[1]));
    ASSERT_EQ(ZEM_OK, zem_tag_save(tag));
    zem_tag_close(tag);
}

fs::path ReproFile(const char* name) {
    for (fs::path folder : {fs::path(ZEM_SOURCE_DIR) / ".." / "shared" / "repro", fs::path("Z:/work/shared/repro")})
        if (fs::exists(folder / name)) return folder / name;
    return fs::path();
}

TEST(PropertyHandler, BundledAlbumImageAndLinks) {
    ComScope com;
    TempDir dir;
    const fs::path folder = dir.Path() / fs::path(L"Tallowmere \u00C5lbum");
    fs::create_directories(folder);
    const samples::SampleFile cue = samples::AlbumCueSheet(), image = samples::AlbumImage();
    WriteFileBytes(folder / fs::path(cue.name).filename(), cue.bytes);
    WriteFileBytes(folder / fs::path(image.name).filename(), image.bytes);
    zem_cue* sheet = zem_cue_open(Utf8FromWide(ToWide(folder / fs::path(cue.name).filename())).c_str(), nullptr);
    ASSERT_NE(nullptr, sheet);
    ASSERT_EQ(3, zem_cue_write_links(sheet, nullptr, nullptr));
    zem_cue_close(sheet);

    const fs::path imagePath = folder / fs::path(image.name).filename();
    Ref<IPropertyStore> store;
    ASSERT_EQ(S_OK, OpenStore(imagePath, store));
    ExpectStore(store.p, FromLibrary(imagePath, true), "Tallowmere.zem");
    unsigned links = 0;
    for (const auto& entry : fs::directory_iterator(folder)) {
        if (entry.path().extension() != ".zlk") continue;
        ++links;
        Ref<IPropertyStore> linkStore;
        ASSERT_EQ(S_OK, OpenStore(entry.path(), linkStore));
        const Expected e = FromLibrary(entry.path(), false);
        EXPECT_NE(0u, e.track);
        EXPECT_FALSE(e.title.empty());
        ExpectStore(linkStore.p, e, Utf8FromWide(entry.path().filename().wstring()));
    }
    EXPECT_EQ(3u, links);
}

TEST(PropertyHandler, StreamsOfEveryFormatWithTheirTags) {
    ComScope com;
    TempDir dir;
    const Format formats[] = {{1, 8, 8000}, {2, 16, 44100}, {1, 24, 96000}, {2, 24, 48000}};
    for (const Format& format : formats) {
        const fs::path file = dir.File("forged-" + std::to_string(format.bits) + "-" +
                                       std::to_string(format.channels) + ".qrb");
        WriteTaggedStream(file, format);
        Ref<IPropertyStore> store;
        ASSERT_EQ(S_OK, OpenStore(file, store));
        const Expected e = FromLibrary(file, true);
        EXPECT_EQ(3u, e.track);
        EXPECT_EQ(1999u, e.year);
        ExpectStore(store.p, e, Utf8FromWide(file.filename().wstring()));
    }
}

TEST(PropertyHandler, RefusesDamagedForeignAndEmptyFiles) {
    ComScope com;
    TempDir dir;
    const fs::path good = dir.File("good.zem");
    WriteTaggedStream(good, {2, 16, 44100});
    const Bytes bytes = ReadFileBytes(good);
    std::vector<fs::path> refused = {dir.File("empty.zem"), dir.File("cut.zem"), dir.File("wave.zem"),
                                     dir.File("missing-image.zlk")};
    WriteFileBytes(refused[0], Bytes());
    WriteFileBytes(refused[1], Bytes(bytes.begin(), bytes.begin() + 40));
    WriteFileBytes(refused[2], BytesOf("RIFF\x24\x00\x00\x00WAVEfmt "));
    WriteFileBytes(refused[3], BytesOf("[Quillon Image Link File]\r\nImage File=gone.zem\r\nStart Block=0\r\n"
                                       "Finish Block=10\r\n"));
    for (const char* name : {"bad-trailer-length.zem", "huge-frame-count.zem", "header-byte8.zem"}) {
        const fs::path repro = ReproFile(name);
        if (repro.empty()) continue;
        // Only files the library itself refuses: the handler must agree with it.
        zem_decoder* d = zem_open(Utf8FromWide(ToWide(repro)).c_str(), nullptr);
        if (d)
            zem_close(d);
        else
            refused.push_back(repro);
    }
    for (const fs::path& file : refused) {
        Ref<IPropertyStore> store;
        EXPECT_TRUE(FAILED(OpenStore(file, store))) << file;
    }
    // The link handler takes no stream: a link's image lies beside the link, which a stream does not tell.
    Ref<IUnknown> link;
    ASSERT_EQ(S_OK, CoCreateInstance(HandlerOf(L".zlk"), nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, link.Void()));
    Ref<IInitializeWithStream> withStream;
    EXPECT_EQ(E_NOINTERFACE, link->QueryInterface(IID_IInitializeWithStream, withStream.Void()));
}

// What the server writes below the class root, and keys registering must write.
const std::vector<std::wstring> kClassKeys = {L".zem", L".qrb", L".zlk", L"SystemFileAssociations",
                                              L"CLSID\\{F6D8DD8C-86F3-4CBE-A95C-11B1C5232A70}",
                                              L"CLSID\\{9F72F973-4572-47FA-B53B-21B3BE3E32B3}"};
const std::vector<std::wstring> kRegisteredKeys = {
    kHandlersKey + L".zem", kHandlersKey + L".qrb", kHandlersKey + L".zlk",
    L"Software\\Classes\\CLSID\\{F6D8DD8C-86F3-4CBE-A95C-11B1C5232A70}\\InprocServer32",
    L"Software\\Classes\\CLSID\\{9F72F973-4572-47FA-B53B-21B3BE3E32B3}\\InprocServer32",
    L"Software\\Classes\\SystemFileAssociations\\.zlk", L"Software\\Classes\\.zem"};

}  // namespace

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    testing::AddGlobalTestEnvironment(new RegisteredServer(L"ZemProperties.dll", kClassKeys, kRegisteredKeys));
    return RUN_ALL_TESTS();
}
