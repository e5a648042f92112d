// SPDX-License-Identifier: BSD-3-Clause
// Encoding a whole WAV file from a caller's source into a caller's sink. The
// encoder reads the file where it needs it (parts of the audio twice, to
// choose a level for 24-bit audio) and goes back to the stream's front at the
// end, so both ends must seek; nothing is spooled on the way.
#include "api/decoder_handle.h"
#include "api/io_source.h"

#include "container/codec_error.h"
#include "encode/encoder.h"

#include <algorithm>
#include <climits>
#include <string>
#include <thread>

using namespace zem;

namespace {

// A source that says when a seek fails: the decoder's adapter leaves the
// position where it was and goes on, the encoder must stop.
class CWaveSource : public zem::api::CCallbackStream {
public:
    CWaveSource(const zem_io& io, void* user, int64_t size) : CCallbackStream(io, user, size), m_size(size) {}

    int Seek(int32_t distance, int origin) override {
        const int64_t base = origin == 0 ? 0 : origin == 1 ? GetPosition() : m_size;
        const int64_t target = base + distance;
        CCallbackStream::Seek(distance, origin);
        return GetPosition() == target ? 0 : -1;
    }

private:
    int64_t m_size;
};

// The sink as the encoder writes a file: front to back, then back to the
// front to fill in what it learns only at the end.
class CStreamSink : public CStreamIo {
public:
    CStreamSink(const zem_output& out, void* user) : m_out(out), m_user(user) {}

    int Open(const WCHAR*) override { return -1; }
    int Close() override { return 0; }
    int Read(void*, int32_t, int32_t* bytesRead) override {
        if (bytesRead)
            *bytesRead = 0;
        return CODEC_READ_FAILED;
    }
    int Write(const void* buffer, int32_t bytesToWrite, int32_t* bytesWritten) override {
        const long given = bytesToWrite > 0 ? m_out.write(m_user, buffer, bytesToWrite) : 0;
        const bool ok = given == bytesToWrite;
        if (ok) {
            m_position += bytesToWrite;
            m_size = std::max(m_size, m_position);
        }
        if (bytesWritten)
            *bytesWritten = ok ? bytesToWrite : 0;
        return ok ? CODEC_OK : CODEC_WRITE_FAILED;
    }
    int Seek(int32_t distance, int origin) override {
        const int64_t target = (origin == 1 ? m_position : origin == 2 ? m_size : 0) + distance;
        if (target < 0 || target > INT32_MAX || m_out.seek(m_user, target) != 0)
            return -1;
        m_position = target;
        return 0;
    }
    int Create(const WCHAR*) override { return -1; }
    int Delete() override { return -1; }
    int SetEof() override { return -1; }
    int32_t GetPosition() override { return static_cast<int32_t>(m_position); }
    int32_t GetSize() override { return static_cast<int32_t>(m_size); }
    int GetName(WCHAR* buffer) override {
        buffer[0] = 0;
        return 0;
    }

private:
    zem_output m_out;
    void* m_user;
    int64_t m_position = 0;
    int64_t m_size = 0;
};

int FromEncodeError(int codecError) {
    return codecError == CODEC_WRITE_FAILED ? ZEM_ERROR_WRITE_FAILED : zem::api::FromCodecError(codecError);
}

int EncodeWave(const zem_io& wav, void* wavUser, const zem_output& out, void* outUser,
               const zem_encode_options& options, std::string* detail) {
    if (options.frame_blocks > INT32_MAX) {
        *detail = "blocks per frame out of range";
        return ZEM_ERROR_INVALID_ARGUMENT;
    }
    const int64_t size = zem::api::SourceSize(wav, wavUser);
    if (size < 0) {
        *detail = size == CODEC_BAD_INPUT ? "the wave file is larger than 2 GiB" : "the wave file cannot be read";
        return FromEncodeError(static_cast<int>(size));
    }
    if (wav.seek(wavUser, 0) != 0) {
        *detail = "the wave file cannot be read";
        return ZEM_ERROR_READ_FAILED;
    }
    CWaveSource in(wav, wavUser, size);
    CStreamSink sink(out, outUser);
    EncodeSettings settings;
    settings.level = options.compression_level > INT32_MAX ? 0 : static_cast<int32_t>(options.compression_level);
    if (options.frame_blocks)
        settings.blocksPerFrame = static_cast<int32_t>(options.frame_blocks);
    const unsigned cores = std::thread::hardware_concurrency();
    settings.threads = static_cast<int>(options.threads ? options.threads : (cores ? cores : 1));
    settings.verify = options.verify != 0;
    EncodeProgress progress;
    if (options.progress)
        progress = [&](int64_t done, int64_t total) {
            options.progress(options.progress_user, static_cast<uint64_t>(done), static_cast<uint64_t>(total));
        };
    return FromEncodeError(EncodeStream(in, sink, settings, progress, detail));
}

}  // namespace

extern "C" int zem_encode_wav(const zem_io* wav, void* wav_user, const zem_output* out, void* out_user,
                              const zem_encode_options* options, char* detail, size_t detail_size) {
    std::string reason;
    int result = ZEM_ERROR_INVALID_ARGUMENT;
    if (!wav || !wav->read || !wav->seek || !out || !out->write || !out->seek || !options)
        reason = "a source, a sink with their read, write and seek, and options are needed";
    else
        result = zem::api::Guarded([&] { return EncodeWave(*wav, wav_user, *out, out_user, *options, &reason); });
    if (result == ZEM_ERROR_NO_MEMORY && reason.empty())
        reason = "out of memory";
    zem::api::CopyDetail(result == ZEM_OK ? std::string() : reason, detail, detail_size);
    return result;
}
