// SPDX-License-Identifier: BSD-3-Clause
// The bundled album: a cue sheet as a ripper writes it (REM lines, CATALOG,
// ISRC, a pregap, CR LF) and the whole-disc image it names, a real encoded
// stream of 12 seconds of music-like stereo audio with the album's tag.
#include "tools/make-samples/sample_set.h"

#include "io/memory_stream.h"
#include "tag/tag_block.h"
#include "tests/support/wave_fixture.h"

using namespace zem;

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

testing_support::WaveShape AlbumWaveShape() {
    testing_support::WaveShape shape;
    shape.channels = 2;
    shape.bitsPerSample = 16;
    shape.sampleRate = kImageSampleRate;
    shape.blocks = kAlbumTotalBlocks;
    shape.signal = testing_support::Signal::Music;
    shape.seed = 2024;
    return shape;
}

SampleFile AlbumImage() {
    testing_support::Bytes wave = testing_support::BuildWave(AlbumWaveShape());
    CMemoryStream io(testing_support::EncodeWaveBytes(wave, 2000, kImageBlocksPerFrame));
    {
        CTagBlock tag(&io, 1);
        tag.SetFieldText(WTXT("Artist"), WTXT("Corvane"));
        tag.SetFieldText(WTXT("Album"), WTXT("Tallowmere"));
        tag.Save(0);
    }
    return {kAlbumImage, io.Bytes()};
}

}  // namespace samples
