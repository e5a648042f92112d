#include "tessarine/codec/encode/encoder.h"

#include "tessarine/codec/codec_error.h"
#include "tessarine/codec/encode/frame_encoder.h"
#include "tessarine/codec/encode/md5.h"
#include "tessarine/codec/encode/stream_writer.h"
#include "tessarine/codec/encode/wave_reader.h"
#include "tessarine/codec/stream_info_record.h"
#include "tessarine/codec/stream_io.h"
#include "tessarine/codec/win32_file.h"

#include <memory>
#include <vector>

namespace {

int Fail(std::string* reason, int code, const std::string& why) {
    if (reason)
        *reason = why;
    return code;
}

int CheckSettings(const EncodeSettings& settings, const WAVEFORMATEX& format, std::string* reason) {
    if (settings.level < 1000 || settings.level > 5000 || settings.level % 1000 != 0)
        return Fail(reason, CODEC_BAD_ARGUMENT, "the level must be 1000, 2000, 3000, 4000 or 5000");
    if (settings.blocksPerFrame < 1 || int64_t(settings.blocksPerFrame) * format.nBlockAlign > kMaxFramePcmBytes)
        return Fail(reason, CODEC_BAD_ARGUMENT, "blocks per frame out of range");
    return CODEC_OK;
}

// Everything behind the audio, up to the end of the input.
int ReadRest(CStreamIo& in, std::vector<uint8_t>* rest) {
    uint8_t chunk[65536];
    for (;;) {
        int32_t got = 0;
        if (in.Read(chunk, sizeof chunk, &got) != 0)
            return CODEC_READ_FAILED;
        if (got <= 0)
            return CODEC_OK;
        rest->insert(rest->end(), chunk, chunk + got);
    }
}

int EncodeFrames(CStreamIo& in, CStreamWriter& writer, CFrameEncoder& encoder, const WaveInput& wave, CMd5& md5,
                 const EncodeProgress& progress, std::string* reason) {
    int32_t blockAlign = wave.format.nBlockAlign;
    int64_t total = wave.dataBytes / blockAlign;
    int64_t done = 0;
    std::vector<uint8_t> pcm;
    std::vector<uint8_t> frame;
    for (uint32_t index = 0; index < writer.TotalFrames(); ++index) {
        int32_t blocks = static_cast<int32_t>(writer.FrameBlocks(index));
        pcm.resize(static_cast<size_t>(blocks) * blockAlign);
        int32_t got = 0;
        if (in.Read(pcm.data(), static_cast<int32_t>(pcm.size()), &got) != 0)
            return Fail(reason, CODEC_READ_FAILED, "the wave file cannot be read");
        if (size_t(got) != pcm.size())
            return Fail(reason, CODEC_BAD_INPUT, "the wave file ends inside its data chunk");
        md5.Update(pcm.data(), pcm.size());
        frame.clear();
        encoder.EncodeFrame(pcm.data(), blocks, &frame);
        int result = writer.AddFrame(frame);
        if (result != CODEC_OK)
            return Fail(reason, result, result == CODEC_BAD_INPUT ? "the stream would exceed 2 GiB" : "write failed");
        done += blocks;
        if (progress)
            progress(done, total);
    }
    return CODEC_OK;
}

}  // namespace

int EncodeStream(CStreamIo& in, CStreamIo& out, const EncodeSettings& settings, const EncodeProgress& progress,
                 std::string* reason) {
    WaveInput wave;
    int result = ReadWaveHeader(in, &wave, reason);
    if (result != CODEC_OK)
        return result;
    result = CheckSettings(settings, wave.format, reason);
    if (result != CODEC_OK)
        return result;
    StreamLayout layout;
    layout.level = static_cast<uint16_t>(settings.level);
    layout.blocksPerFrame = static_cast<uint32_t>(settings.blocksPerFrame);
    layout.totalBlocks = wave.dataBytes / wave.format.nBlockAlign;
    layout.format = wave.format;
    std::unique_ptr<CFrameEncoder> encoder;
    try {
        encoder = std::make_unique<CFrameEncoder>(settings.level, CStreamWriter::kVersion, wave.format.nChannels,
                                                  wave.format.wBitsPerSample);
    } catch (...) {
        return Fail(reason, CODEC_BAD_ARGUMENT, "the level has no predictor");
    }
    CStreamWriter writer(out, layout, wave.header);
    CMd5 md5;
    md5.Update(wave.header.data(), wave.header.size());
    if ((result = writer.Begin()) != CODEC_OK)
        return Fail(reason, result, "write failed");
    if ((result = EncodeFrames(in, writer, *encoder, wave, md5, progress, reason)) != CODEC_OK)
        return result;
    std::vector<uint8_t> terminating;
    if (ReadRest(in, &terminating) != CODEC_OK)
        return Fail(reason, CODEC_READ_FAILED, "the wave file cannot be read");
    md5.Update(terminating.data(), terminating.size());
    uint8_t digest[16];
    md5.Finish(digest);
    if ((result = writer.Finish(terminating, digest)) != CODEC_OK)
        return Fail(reason, result, result == CODEC_BAD_INPUT ? "the stream would exceed 2 GiB" : "write failed");
    return CODEC_OK;
}

int EncodeStreamToFile(CStreamIo& in, const WCHAR* outPath, const EncodeSettings& settings,
                       const EncodeProgress& progress, std::string* reason) {
    if (!outPath || !outPath[0])
        return Fail(reason, CODEC_BAD_ARGUMENT, "a file name is missing");
    WString temporary = WString(outPath) + WTXT(".partial");
    CWin32File out;
    if (out.Create(temporary.c_str()) != 0)
        return Fail(reason, CODEC_WRITE_FAILED, "the output file cannot be created");
    int result = EncodeStream(in, out, settings, progress, reason);
    out.Close();
    if (result == CODEC_OK && !MoveFileExW(temporary.c_str(), outPath, MOVEFILE_REPLACE_EXISTING))
        result = Fail(reason, CODEC_WRITE_FAILED, "the output file cannot be put in place");
    if (result != CODEC_OK)
        DeleteFileW(temporary.c_str());
    return result;
}

int EncodeFile(const WCHAR* inPath, const WCHAR* outPath, const EncodeSettings& settings,
               const EncodeProgress& progress, std::string* reason) {
    if (!inPath || !inPath[0] || !outPath || !outPath[0])
        return Fail(reason, CODEC_BAD_ARGUMENT, "a file name is missing");
    CWin32File in;
    if (in.Open(inPath) != 0)
        return Fail(reason, CODEC_BAD_INPUT, "the wave file cannot be opened");
    return EncodeStreamToFile(in, outPath, settings, progress, reason);
}
