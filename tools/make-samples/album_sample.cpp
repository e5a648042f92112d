// The bundled album: a cue sheet as a ripper writes it (REM lines, CATALOG,
// ISRC, a pregap, CR LF) and the whole-disc image it names. Until there is an
// encoder the image is a real header, seek table and tag over placeholder
// frames, like sample.zem.
#include "tools/make-samples/sample_set.h"

#include "tessarine/codec/memory_stream.h"
#include "tessarine/codec/tag_block.h"
#include "tests/support/zem_fixture.h"

namespace samples {

SampleFile AlbumCueSheet() {
    const std::string text =
        "REM GENRE Folk\r\n"
        "REM DATE 2024\r\n"
        "REM COMMENT \"bundled sample album\"\r\n"
        "CATALOG 0000000000000\r\n"
        "PERFORMER \"Corvane\"\r\n"
        "TITLE \"Tallowmere\"\r\n"
        "FILE \"Tallowmere.zem\" WAVE\r\n"
        "  TRACK 01 AUDIO\r\n"
        "    TITLE \"Wrenfall\"\r\n"
        "    PERFORMER \"Corvane\"\r\n"
        "    ISRC XXA000000001\r\n"
        "    INDEX 01 00:00:00\r\n"
        "  TRACK 02 AUDIO\r\n"
        "    TITLE \"Saltglass\"\r\n"
        "    PERFORMER \"Corvane\"\r\n"
        "    ISRC XXA000000002\r\n"
        "    INDEX 00 00:04:10\r\n"
        "    INDEX 01 00:04:20\r\n"
        "  TRACK 03 AUDIO\r\n"
        "    TITLE \"Lanternfield\"\r\n"
        "    PERFORMER \"Ilse Marrow\"\r\n"
        "    ISRC XXA000000003\r\n"
        "    INDEX 01 00:08:37\r\n";
    return {kAlbumCueSheet, std::vector<uint8_t>(text.begin(), text.end())};
}

SampleFile AlbumImage() {
    using testing_support::ZemFixture;
    ZemFixture image = testing_support::CurrentZemFixture(3990);
    image.sampleRate = kImageSampleRate;
    image.blocksPerFrame = kImageBlocksPerFrame;
    image.finalFrameBlocks = kAlbumTotalBlocks - 7 * kImageBlocksPerFrame;
    image.frames = ZemFixture::FakeFrames({64, 64, 64, 64, 64, 64, 64, 16});
    CMemoryStream io(testing_support::BuildZemBytes(image));
    {
        CTagBlock tag(&io, 1);
        tag.SetFieldText(WTXT("Artist"), WTXT("Corvane"));
        tag.SetFieldText(WTXT("Album"), WTXT("Tallowmere"));
        tag.Save(0);
    }
    return {kAlbumImage, io.Bytes()};
}

}  // namespace samples
