// SPDX-License-Identifier: BSD-3-Clause
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

namespace zem {

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

// Frames go to the workers in runs of at least this many blocks, so that
// tiny frames do not cost a hand-over each.
constexpr int64_t kRunBlocks = 4096;

// One run of frames in flight: their blocks, then their bytes and the first
// that did not come back.
struct FrameSlot {
    uint32_t firstFrame = 0;
    uint32_t frames = 0;
    std::vector<uint8_t> pcm;
    std::vector<uint8_t> bytes;
    std::vector<size_t> ends;  // per frame: the end of its bytes
    int64_t failedFrame = -1;
};

// What one worker thread keeps from run to run.
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
    int Fill(FrameSlot& slot, uint32_t firstFrame, uint32_t frames, std::string* reason);
    void Encode(FrameWorker& worker, FrameSlot& slot) const;
    int Write(const FrameSlot& slot, std::string* reason);

    CStreamIo& m_in;
    CStreamWriter& m_writer;
    const WaveInput& m_wave;
    CMd5& m_md5;
    const EncodeProgress& m_progress;
    int64_t m_done = 0;
};

int CFrameRun::Fill(FrameSlot& slot, uint32_t firstFrame, uint32_t frames, std::string* reason) {
    slot.firstFrame = firstFrame;
    slot.frames = frames;
    int64_t blocks = 0;
    for (uint32_t frame = firstFrame; frame < firstFrame + frames; ++frame)
        blocks += m_writer.FrameBlocks(frame);
    slot.pcm.resize(static_cast<size_t>(blocks) * m_wave.format.nBlockAlign);
    int32_t got = 0;
    if (m_in.Read(slot.pcm.data(), static_cast<int32_t>(slot.pcm.size()), &got) != 0)
        return Fail(reason, CODEC_READ_FAILED, "the wave file cannot be read");
    if (size_t(got) != slot.pcm.size())
        return Fail(reason, CODEC_BAD_INPUT, "the wave file ends inside its data chunk");
    m_md5.Update(slot.pcm.data(), slot.pcm.size());
    return CODEC_OK;
}

void CFrameRun::Encode(FrameWorker& worker, FrameSlot& slot) const {
    // The seam serves the check's tests only: it acts where the check runs, so
    // that no program that sets it (libzem exports its setter) can ever write
    // a damaged frame.
    const EncodedFrameTamper tamper = worker.check ? EncodedFrameTamperForTests() : nullptr;
    slot.bytes.clear();
    slot.bytes.reserve(slot.pcm.size() + slot.pcm.size() / 16 + 4096);  // no doubling for loud audio
    slot.ends.clear();
    slot.failedFrame = -1;
    const uint8_t* pcm = slot.pcm.data();
    const uint32_t last = slot.firstFrame + slot.frames - 1;
    for (uint32_t frame = slot.firstFrame; frame <= last; ++frame) {
        const int32_t blocks = static_cast<int32_t>(m_writer.FrameBlocks(frame));
        const size_t start = slot.bytes.size();
        worker.encoder->EncodeFrame(pcm, blocks, &slot.bytes);
        if (tamper) {
            std::vector<uint8_t> frameBytes(slot.bytes.begin() + static_cast<std::ptrdiff_t>(start), slot.bytes.end());
            tamper(frame, frameBytes);
            slot.bytes.resize(start);
            slot.bytes.insert(slot.bytes.end(), frameBytes.begin(), frameBytes.end());
        }
        slot.ends.push_back(slot.bytes.size());
        pcm += size_t(blocks) * m_wave.format.nBlockAlign;
    }
    if (worker.check) {
        const int64_t mismatch = worker.check->FirstMismatch(
            slot.pcm.data(), slot.frames, static_cast<int32_t>(m_writer.FrameBlocks(slot.firstFrame)),
            static_cast<int32_t>(m_writer.FrameBlocks(last)), slot.bytes.data(), slot.ends.data());
        slot.failedFrame = mismatch < 0 ? -1 : slot.firstFrame + mismatch;
    }
}

int CFrameRun::Write(const FrameSlot& slot, std::string* reason) {
    if (slot.failedFrame >= 0)
        return Fail(reason, CODEC_BAD_CHECKSUM,
                    "frame " + std::to_string(slot.failedFrame) + " does not decode to its audio");
    size_t start = 0;
    for (uint32_t i = 0; i < slot.frames; ++i) {
        int result = m_writer.AddFrame(slot.bytes.data() + start, slot.ends[i] - start);
        if (result != CODEC_OK)
            return Fail(reason, result, result == CODEC_BAD_INPUT ? "the stream would exceed 2 GiB" : "write failed");
        start = slot.ends[i];
        m_done += m_writer.FrameBlocks(slot.firstFrame + i);
    }
    if (m_progress)
        m_progress(m_done, m_wave.dataBytes / m_wave.format.nBlockAlign);
    return CODEC_OK;
}

// This thread reads runs of frames in order into the pipeline's slots and
// writes each run, in order, once it is encoded; the workers encode (and check).
int CFrameRun::Run(const EncodeSettings& settings, int32_t level, std::string* reason) {
    const uint32_t frames = m_writer.TotalFrames();
    if (frames == 0)
        return CODEC_OK;
    const WAVEFORMATEX& format = m_wave.format;
    const int64_t blocksPerFrame = m_writer.FrameBlocks(0);
    const uint32_t framesPerRun = static_cast<uint32_t>(std::max<int64_t>(1, kRunBlocks / blocksPerFrame));
    const uint32_t runs = (frames + framesPerRun - 1) / framesPerRun;
    const size_t runPcmBytes = size_t(blocksPerFrame) * framesPerRun * format.nBlockAlign;
    const PipelineShape shape = ShapePipeline(settings.threads, runs, runPcmBytes, settings.verify);
    std::vector<FrameWorker> workers(std::max<size_t>(shape.threads, 1));
    for (FrameWorker& worker : workers) {
        worker.encoder = std::make_unique<CFrameEncoder>(level, CStreamWriter::kVersion, format.nChannels,
                                                         format.wBitsPerSample);
        if (settings.verify)
            worker.check = std::make_unique<CFrameCheck>(format, static_cast<uint16_t>(level));
    }
    std::vector<FrameSlot> slots(shape.slots);
    CFramePipeline pipeline(shape.threads, shape.slots, [&](size_t w, size_t s) { Encode(workers[w], slots[s]); });
    int result = CODEC_OK;
    for (uint32_t run = 0; run < runs && result == CODEC_OK; ++run) {
        FrameSlot& slot = slots[pipeline.SlotOf(run)];
        if (run >= shape.slots) {
            pipeline.WaitDone(run - shape.slots);
            if ((result = Write(slot, reason)) != CODEC_OK)
                break;
        }
        const uint32_t first = run * framesPerRun;
        if ((result = Fill(slot, first, std::min(framesPerRun, frames - first), reason)) != CODEC_OK)
            break;
        pipeline.Submit(run);
    }
    if (result != CODEC_OK)
        return result;
    for (uint32_t run = runs > shape.slots ? runs - static_cast<uint32_t>(shape.slots) : 0; run < runs; ++run) {
        pipeline.WaitDone(run);
        if ((result = Write(slots[pipeline.SlotOf(run)], reason)) != CODEC_OK)
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

}  // namespace zem
