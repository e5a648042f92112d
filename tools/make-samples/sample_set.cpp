// SPDX-License-Identifier: BSD-3-Clause
#include "tools/make-samples/sample_set.h"

#include "io/memory_stream.h"
#include "tag/tag_block.h"
#include "tests/support/zem_fixture.h"

#include <utility>

using namespace zem;

namespace samples {
namespace {

using testing_support::Bytes;
using testing_support::ZemFixture;

struct TextField {
    const WCHAR* name;
    const WCHAR* value;
};

// Appends a ZEM tag with `fields` through the library's own tag writer.
Bytes WithTag(Bytes bytes, std::initializer_list<TextField> fields) {
    CMemoryStream io(std::move(bytes));
    {
        CTagBlock tag(&io, 1);
        for (const TextField& field : fields)
            tag.SetFieldText(field.name, field.value);
        tag.Save(0);
    }
    return io.Bytes();
}

Bytes ImageBytes() {
    ZemFixture image = testing_support::CurrentZemFixture(3990);
    image.sampleRate = kImageSampleRate;
    image.blocksPerFrame = kImageBlocksPerFrame;
    image.finalFrameBlocks = kImageFinalFrameBlocks;
    image.frames = ZemFixture::FakeFrames({1500, 1400, 700});
    return WithTag(testing_support::BuildZemBytes(image), {{WTXT("Artist"), WTXT("Sample Artist")},
                                                           {WTXT("Album"), WTXT("Sample Album")},
                                                           {WTXT("Year"), WTXT("2024")},
                                                           {WTXT("Genre"), WTXT("Ambient")}});
}

Bytes LinkBytes() {
    const std::string text = "[Quillon Image Link File]\r\n"
                             "Image File=sample.zem\r\n"
                             "Start Block=" + std::to_string(kTrackStartBlock) + "\r\n"
                             "Finish Block=" + std::to_string(kTrackFinishBlock) + "\r\n"
                             "\r\n"
                             "----- ZEM TAG (DO NOT TOUCH!!!) -----\r\n";
    return WithTag(Bytes(text.begin(), text.end()), {{WTXT("Artist"), WTXT("Sample Artist")},
                                                     {WTXT("Album"), WTXT("Sample Album")},
                                                     {WTXT("Title"), WTXT("Second Track")},
                                                     {WTXT("Track"), WTXT("2")}});
}

// An older stream (32-byte header, decoded by the older-version path).
Bytes OldStreamBytes() {
    ZemFixture stream = testing_support::OldZemFixture(3920);
    stream.compressionLevel = 3000;
    stream.blocksPerFrame = testing_support::OldFixtureBlocksPerFrame(stream.version, stream.compressionLevel);
    stream.finalFrameBlocks = 22050;
    stream.frames = ZemFixture::FakeFrames({1200, 600});
    return WithTag(testing_support::BuildZemBytes(stream), {{WTXT("Title"), WTXT("Older Format Sample")}});
}

}  // namespace

std::vector<SampleFile> BuildSampleSet() {
    return {{"sample.zem", ImageBytes()}, {"sample.zlk", LinkBytes()}, {"sample.qrb", OldStreamBytes()},
            AlbumCueSheet()};
}

}  // namespace samples
