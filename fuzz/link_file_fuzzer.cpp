// SPDX-License-Identifier: BSD-3-Clause
// Reads arbitrary bytes as a link file lying beside a real image, opens the
// link through the decoder factory and decodes the track's whole range, then
// its second half after a seek. The image path must end inside its field, a
// link must open exactly when its record is valid, and every block of the
// range must come out.
#include "container/codec_error.h"
#include "platform/paths.h"
#include "container/info_id.h"
#include "decode/decoder.h"
#include "decode/decoder_factory.h"
#include "fuzz/fuzz_input.h"
#include "link/link_file.h"
#include "tests/support/test_files.h"
#include "tests/support/wave_fixture.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

using namespace zem;

namespace {

constexpr int32_t kImageBlocks = 3000;
// Only the first 1023 bytes count; a little more reaches every key position.
constexpr size_t kMaxLinkBytes = 2048;

// A private folder holding image.zem (frames of 512 blocks) and the link.
struct LinkFolder {
    std::filesystem::path folder;
    std::filesystem::path link;
    WString linkPath;
    WString imagePath;
};

std::filesystem::path g_madeFolder;

void RemoveFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(g_madeFolder, ignored);
}

const LinkFolder& Folder() {
    static const LinkFolder made = [] {
        LinkFolder f;
        std::string pattern = (std::filesystem::temp_directory_path() / "zem-link-fuzz-XXXXXX").string();
        FUZZ_REQUIRE(mkdtemp(&pattern[0]) != nullptr);
        f.folder = pattern;
        g_madeFolder = f.folder;
        std::atexit(RemoveFolder);
        testing_support::WaveShape shape;
        shape.channels = 2;
        shape.bitsPerSample = 16;
        shape.blocks = kImageBlocks;
        int result = -1;
        testing_support::Bytes image =
            testing_support::EncodeWaveBytes(testing_support::BuildWave(shape), 2000, 512, &result);
        FUZZ_REQUIRE(result == CODEC_OK);
        testing_support::WriteFileBytes(f.folder / "image.zem", image);
        f.link = f.folder / "track.zlk";
        f.linkPath = testing_support::ToWide(f.link);
        f.imagePath = testing_support::ToWide(f.folder / "image.zem");
        return f;
    }();
    return made;
}

size_t PathLength(const WCHAR* path) {
    size_t length = 0;
    while (length < kMaxPathChars && path[length] != 0)
        ++length;
    return length;
}

void DecodeRange(CDecoder& decoder, int64_t blocks, int64_t blockAlign) {
    const int kChunk = 701;
    std::vector<uint8_t> out(size_t(kChunk) * size_t(blockAlign));
    for (int64_t delivered = 0; delivered < blocks;) {
        int got = -1;
        FUZZ_REQUIRE(decoder.GetData(out.data(), kChunk, &got) == CODEC_OK);
        FUZZ_REQUIRE(got == std::min<int64_t>(kChunk, blocks - delivered));
        delivered += got;
    }
    int got = -1;
    FUZZ_REQUIRE(decoder.GetData(out.data(), kChunk, &got) == CODEC_OK && got == 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > kMaxLinkBytes)
        return 0;
    const LinkFolder& folder = Folder();
    testing_support::WriteFileBytes(folder.link, fuzzing::CopyInput(data, size));

    CLinkFile link;
    link.ReadLinkFile(folder.linkPath.c_str());
    FUZZ_REQUIRE(PathLength(link.GetImagePath()) < kMaxPathChars);
    int error = -7;
    std::unique_ptr<CDecoder> decoder = OpenDecoder(folder.linkPath.c_str(), &error);
    FUZZ_REQUIRE((decoder != nullptr) == (error == CODEC_OK));
    if (!link.IsValid())
        FUZZ_REQUIRE(!decoder && error == CODEC_BAD_INPUT);
    if (!decoder)
        return 0;

    // Only the image beside the link is a stream here, whatever path leads to it.
    const int64_t total = decoder->GetInfo(DecoderTotalBlocks);
    const int64_t blockAlign = decoder->GetInfo(BlockAlign);
    FUZZ_REQUIRE(blockAlign == 4);
    FUZZ_REQUIRE(total >= 0 && total <= kImageBlocks);
    const int32_t start = link.GetStartBlock();
    const int32_t finish = link.GetFinishBlock();
    if (start >= 0 && start < finish && finish <= kImageBlocks)
        FUZZ_REQUIRE(total == finish - start);
    DecodeRange(*decoder, total, blockAlign);
    FUZZ_REQUIRE(decoder->Seek(static_cast<int>(total / 2)) == CODEC_OK);
    DecodeRange(*decoder, total - total / 2, blockAlign);
    return 0;
}
