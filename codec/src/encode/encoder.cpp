#include "encode/encoder.h"

#include "container/codec_error.h"
#include "container/stream_info_record.h"
#include "encode/forward_predictor.h"
#include "encode/frame_check.h"
#include "encode/frame_encoder.h"
#include "encode/frame_pipeline.h"
#include "encode/frame_tamper.h"
#include "encode/level_trial.h"
#include "encode/md5.h"
#include "encode/stream_writer.h"
#include "encode/wave_reader.h"
#include "io/stream_io.h"
#include "io/win32_file.h"
#include "model/decode_exception.h"

#include <algorithm>
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

// One frame in flight: its blocks, then its bytes and whether they came back.
struct FrameSlot {
    int32_t blocks = 0;
    std::vector<uint8_t> pcm;
    std::vector<uint8_t> bytes;
    bool matches = true;
};

// What one worker thread keeps from frame to frame.
struct FrameWorker {
    std::unique_ptr<CFrameEncoder> encoder;
    std::unique_ptr<CFrameCheck> check;
};

class CFrameRun {
public:
    CFrameRun(CStreamIo& in, CStreamWriter& writer, const WaveInput& wave, CMd5& md5, const EncodeProgress& progress)
        : m_in(in), m_writer(writer), m_wave(wave), m_md5(md5), m_progress(progress) {}

    // Encodes every frame; CODEC_OK or a CodecError with `reason` set.
    int Run(const EncodeSettings& settings, int32_t level, std::string* reason);

private:
    int Fill(FrameSlot& slot, uint32_t index, std::string* reason);
    int Write(FrameSlot& slot, uint32_t index, std::string* reason);

    CStreamIo& m_in;
    CStreamWriter& m_writer;
    const WaveInput& m_wave;
    CMd5& m_md5;
    const EncodeProgress& m_progress;
    int64_t m_done = 0;
};

int CFrameRun::Fill(FrameSlot& slot, uint32_t index, std::string* reason) {
    slot.blocks = static_cast<int32_t>(m_writer.FrameBlocks(index));
    slot.pcm.resize(static_cast<size_t>(slot.blocks) * m_wave.format.nBlockAlign);
    int32_t got = 0;
    if (m_in.Read(slot.pcm.data(), static_cast<int32_t>(slot.pcm.size()), &got) != 0)
        return Fail(reason, CODEC_READ_FAILED, "the wave file cannot be read");
    if (size_t(got) != slot.pcm.size())
        return Fail(reason, CODEC_BAD_INPUT, "the wave file ends inside its data chunk");
    m_md5.Update(slot.pcm.data(), slot.pcm.size());
    return CODEC_OK;
}

int CFrameRun::Write(FrameSlot& slot, uint32_t index, std::string* reason) {
    if (!slot.matches)
        return Fail(reason, CODEC_BAD_CHECKSUM, "frame " + std::to_string(index) + " does not decode to its audio");
    int result = m_writer.AddFrame(slot.bytes);
    if (result != CODEC_OK)
        return Fail(reason, result, result == CODEC_BAD_INPUT ? "the stream would exceed 2 GiB" : "write failed");
    m_done += slot.blocks;
    if (m_progress)
        m_progress(m_done, m_wave.dataBytes / m_wave.format.nBlockAlign);
    return CODEC_OK;
}

// This thread reads the frames in order into the pipeline's slots and writes
// each one, in order, once it is encoded; the workers encode (and check).
int CFrameRun::Run(const EncodeSettings& settings, int32_t level, std::string* reason) {
    const uint32_t frames = m_writer.TotalFrames();
    const WAVEFORMATEX& format = m_wave.format;
    const size_t framePcmBytes = size_t(m_writer.FrameBlocks(0)) * format.nBlockAlign;
    const PipelineShape shape = ShapePipeline(settings.threads, frames, framePcmBytes, settings.verify);
    std::vector<FrameWorker> workers(std::max<size_t>(shape.threads, 1));
    for (FrameWorker& worker : workers) {
        worker.encoder = std::make_unique<CFrameEncoder>(level, CStreamWriter::kVersion, format.nChannels,
                                                         format.wBitsPerSample);
        if (settings.verify)
            worker.check = std::make_unique<CFrameCheck>(format, static_cast<uint16_t>(level));
    }
    std::vector<FrameSlot> slots(shape.slots);
    std::vector<uint32_t> slotFrame(shape.slots);
    const EncodedFrameTamper tamper = EncodedFrameTamperForTests();
    CFramePipeline pipeline(shape.threads, shape.slots, [&](size_t w, size_t s) {
        FrameSlot& slot = slots[s];
        slot.bytes.clear();
        workers[w].encoder->EncodeFrame(slot.pcm.data(), slot.blocks, &slot.bytes);
        if (tamper)
            tamper(slotFrame[s], slot.bytes);
        slot.matches = !workers[w].check || workers[w].check->Matches(slot.pcm.data(), slot.blocks, slot.bytes);
    });
    int result = CODEC_OK;
    for (uint32_t index = 0; index < frames && result == CODEC_OK; ++index) {
        const size_t s = pipeline.SlotOf(index);
        if (index >= shape.slots) {
            pipeline.WaitDone(index - shape.slots);
            if ((result = Write(slots[s], index - static_cast<uint32_t>(shape.slots), reason)) != CODEC_OK)
                break;
        }
        if ((result = Fill(slots[s], index, reason)) != CODEC_OK)
            break;
        slotFrame[s] = index;
        pipeline.Submit(index);
    }
    if (result != CODEC_OK)
        return result;
    for (uint32_t index = frames > shape.slots ? frames - static_cast<uint32_t>(shape.slots) : 0; index < frames;
         ++index) {
        pipeline.WaitDone(index);
        if ((result = Write(slots[pipeline.SlotOf(index)], index, reason)) != CODEC_OK)
            return result;
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
    layout.blocksPerFrame = static_cast<uint32_t>(settings.blocksPerFrame);
    layout.totalBlocks = wave.dataBytes / wave.format.nBlockAlign;
    layout.format = wave.format;
    int32_t level = settings.level;
    try {
        CreateForwardPredictor(level, CStreamWriter::kVersion);
        if (TakesLevelTrial(wave.format)) {
            const TrialExcerpts excerpts = ReadTrialExcerpts(in, in.GetPosition(), wave.format.nBlockAlign,
                                                             layout.totalBlocks, layout.blocksPerFrame);
            level = ChooseStreamLevel(level, wave.format, excerpts, settings.threads);
        }
    } catch (const DecodeException&) {
        return Fail(reason, CODEC_BAD_ARGUMENT, "the level has no predictor");
    }
    layout.level = static_cast<uint16_t>(level);
    CStreamWriter writer(out, layout, wave.header);
    CMd5 md5;
    md5.Update(wave.header.data(), wave.header.size());
    if ((result = writer.Begin()) != CODEC_OK)
        return Fail(reason, result, "write failed");
    if ((result = CFrameRun(in, writer, wave, md5, progress).Run(settings, level, reason)) != CODEC_OK)
        return result;
    std::vector<uint8_t> terminating;
    if (ReadRest(in, &terminating) != CODEC_OK)
        return Fail(reason, CODEC_READ_FAILED, "the wave file cannot be read");
    md5.Update(terminating.data(), terminating.size());
    uint8_t digest[16];
    md5.Finish(digest);
    if ((result = writer.Finish(terminating, digest)) != CODEC_OK)
        return Fail(reason, result, result == CODEC_BAD_INPUT ? "the stream would exceed 2 GiB" : "write failed");
    if (settings.verify && !FrontReadsBack(writer.Front(digest), layout, writer.SeekTable(), wave.header))
        return Fail(reason, CODEC_BAD_CHECKSUM, "the stream's header does not read back as written");
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
