// SPDX-License-Identifier: BSD-3-Clause
// Encoding through the C API. The encoder reads a whole WAV file (it needs
// the length up front and reads parts of the audio twice to choose a level),
// so the PCM written is kept as that WAV file in a temporary file beside the
// target, and encoded from there when the caller finishes.
#include "api/decoder_handle.h"

#include "container/codec_error.h"
#include "encode/encoder.h"
#include "encode/wave_reader.h"
#include "io/memory_stream.h"
#include "io/win32_file.h"
#include "tag/tag_le32.h"

#include <climits>
#include <cstring>
#include <thread>
#include <vector>

using namespace zem;

namespace {

constexpr size_t kPlainHeaderBytes = 44;
const uint32_t kUnknownDataBytes = 0xFFFFFFFFu;
// The codec's files count in 32 bits; room is left for header and trailer.
constexpr uint64_t kMaxPcmBytes = INT32_MAX - 2 * kMaxWaveHeaderBytes;

void Put16(uint8_t* at, uint32_t value) {
    at[0] = static_cast<uint8_t>(value);
    at[1] = static_cast<uint8_t>(value >> 8);
}

void Put32(uint8_t* at, uint32_t value) {
    Put16(at, value & 0xFFFF);
    Put16(at + 2, value >> 16);
}

int FromEncodeError(int codecError) {
    switch (codecError) {
    case CODEC_WRITE_FAILED: return ZEM_ERROR_WRITE_FAILED;
    case CODEC_BAD_CHECKSUM: return ZEM_ERROR_BAD_FRAME;
    case CODEC_BAD_INPUT: return ZEM_ERROR_BAD_INPUT;
    default: return zem::api::FromCodecError(codecError);
    }
}

int CheckSettings(const zem_encoder_settings& s) {
    if (s.sample_rate == 0 || s.channels == 0 || s.bits_per_sample == 0 || s.compression_level < 1000 ||
        s.compression_level > 5000 || s.compression_level % 1000 != 0)
        return ZEM_ERROR_INVALID_ARGUMENT;
    if (s.channels > 2 || (s.bits_per_sample != 8 && s.bits_per_sample != 16 && s.bits_per_sample != 24))
        return ZEM_ERROR_UNSUPPORTED;
    return ZEM_OK;
}

}  // namespace

struct zem_encoder {
    zem_encoder_settings settings = {};
    unsigned blockAlign = 0;
    WString path;
    WString spoolPath;
    CWin32File spool;
    bool spoolExists = false;
    std::vector<uint8_t> header;  // the caller's; empty: the plain 44 bytes
    std::vector<uint8_t> trailer;
    bool started = false;  // the header's room is in the spool
    bool failed = false;
    uint64_t pcmBytes = 0;

    ~zem_encoder() {
        spool.Close();
        if (spoolExists)
            DeleteFileW(spoolPath.c_str());
    }

    int Open(const char* utf8, const zem_encoder_settings& s) {
        if (!zem::api::LibraryPathFromUtf8(utf8, &path))
            return ZEM_ERROR_INVALID_ARGUMENT;
        if (int problem = CheckSettings(s))
            return problem;
        settings = s;
        blockAlign = s.channels * s.bits_per_sample / 8;
        spoolPath = path + WTXT(".pcm.partial");
        if (spool.Create(spoolPath.c_str()) != 0)
            return ZEM_ERROR_WRITE_FAILED;
        spoolExists = true;
        return ZEM_OK;
    }

    // A header the encoder takes as it stands: PCM of these settings, whose
    // last chunk header is the data chunk's.
    int SetHeader(const uint8_t* bytes, size_t size) {
        if (started)
            return ZEM_ERROR_INVALID_ARGUMENT;
        std::vector<uint8_t> given(bytes, bytes + size);
        if (size > 0) {
            CMemoryStream io(given, true);
            WaveInput wave;
            std::string reason;
            const WAVEFORMATEX& f = wave.format;
            if (size < 8 || ReadWaveHeader(io, &wave, &reason) != CODEC_OK || wave.header.size() != size ||
                std::memcmp(bytes + size - 8, "data", 4) != 0 || f.nChannels != settings.channels ||
                f.wBitsPerSample != settings.bits_per_sample || f.nSamplesPerSec != settings.sample_rate)
                return ZEM_ERROR_BAD_INPUT;
        }
        header = std::move(given);
        return ZEM_OK;
    }

    bool Put(const void* bytes, size_t count) {
        int32_t written = 0;
        return count == 0 || (spool.Write(bytes, static_cast<int32_t>(count), &written) == 0 &&
                               static_cast<size_t>(written) == count);
    }

    bool Start() {
        if (started)
            return true;
        started = true;
        const std::vector<uint8_t> room(kPlainHeaderBytes, 0);
        return header.empty() ? Put(room.data(), room.size()) : Put(header.data(), header.size());
    }

    long Write(const void* pcm, long blocks) {
        if (failed)
            return ZEM_ERROR_FAILED;
        const uint64_t bytes = static_cast<uint64_t>(blocks) * blockAlign;
        if (pcmBytes + bytes > kMaxPcmBytes)
            return ZEM_ERROR_UNSUPPORTED;
        if (!Start() || !Put(pcm, static_cast<size_t>(bytes))) {
            failed = true;
            return ZEM_ERROR_WRITE_FAILED;
        }
        pcmBytes += bytes;
        return blocks;
    }

    std::vector<uint8_t> PlainHeader() const {
        std::vector<uint8_t> h(kPlainHeaderBytes, 0);
        const uint32_t data = static_cast<uint32_t>(pcmBytes);
        std::memcpy(h.data(), "RIFF", 4);
        Put32(&h[4], static_cast<uint32_t>(36 + data + trailer.size()));
        std::memcpy(&h[8], "WAVEfmt ", 8);
        Put32(&h[16], 16);
        Put16(&h[20], 1);  // PCM
        Put16(&h[22], settings.channels);
        Put32(&h[24], settings.sample_rate);
        Put32(&h[28], settings.sample_rate * blockAlign);
        Put16(&h[32], blockAlign);
        Put16(&h[34], settings.bits_per_sample);
        std::memcpy(&h[36], "data", 4);
        Put32(&h[40], data);
        return h;
    }

    // The caller's header must say what follows it, or say nothing and be
    // followed by the audio alone.
    bool HeaderFits() const {
        if (header.empty())
            return true;
        const uint32_t declared = LoadLe32(header.data() + header.size() - 4);
        if (declared == pcmBytes)
            return true;
        return (declared == 0 || declared == kUnknownDataBytes) && trailer.empty();
    }

    int Finish() {
        if (failed)
            return ZEM_ERROR_FAILED;
        if (!HeaderFits())
            return ZEM_ERROR_BAD_INPUT;
        if (!Start() || !Put(trailer.data(), trailer.size()))
            return ZEM_ERROR_WRITE_FAILED;
        if (header.empty()) {
            const std::vector<uint8_t> plain = PlainHeader();
            spool.Seek(0, 0);
            if (spool.GetPosition() != 0 || !Put(plain.data(), plain.size()))
                return ZEM_ERROR_WRITE_FAILED;
        }
        spool.Close();
        CWin32File in;
        if (in.OpenForReading(spoolPath.c_str()) != 0)
            return ZEM_ERROR_READ_FAILED;
        EncodeSettings encode;
        encode.level = static_cast<int32_t>(settings.compression_level);
        const unsigned cores = std::thread::hardware_concurrency();
        encode.threads = static_cast<int>(settings.threads ? settings.threads : (cores ? cores : 1));
        encode.verify = settings.verify != 0;
        std::string reason;
        const int result = EncodeStreamToFile(in, path.c_str(), encode, {}, &reason);
        return result == CODEC_OK ? ZEM_OK : FromEncodeError(result);
    }
};

extern "C" zem_encoder* zem_encoder_open(const char* path_utf8, const zem_encoder_settings* s, int* error) {
    zem_encoder* result = nullptr;
    int code = zem::api::Guarded([&] {
        if (!s)
            return ZEM_ERROR_INVALID_ARGUMENT;
        auto encoder = std::make_unique<zem_encoder>();
        int opened = encoder->Open(path_utf8, *s);
        if (opened == ZEM_OK)
            result = encoder.release();
        return opened;
    });
    if (error)
        *error = code;
    return code == ZEM_OK ? result : nullptr;
}

extern "C" int zem_encoder_set_wav_header(zem_encoder* e, const void* header, size_t size) {
    if (!e || (!header && size > 0) || size > kMaxWaveHeaderBytes)
        return ZEM_ERROR_INVALID_ARGUMENT;
    return zem::api::Guarded([&] { return e->SetHeader(static_cast<const uint8_t*>(header), size); });
}

extern "C" int zem_encoder_set_wav_trailer(zem_encoder* e, const void* trailer, size_t size) {
    if (!e || (!trailer && size > 0) || size > kMaxWaveHeaderBytes)
        return ZEM_ERROR_INVALID_ARGUMENT;
    return zem::api::Guarded([&] {
        const auto* bytes = static_cast<const uint8_t*>(trailer);
        e->trailer.assign(bytes, bytes + size);
        return ZEM_OK;
    });
}

extern "C" long zem_encoder_write(zem_encoder* e, const void* pcm, long blocks) {
    if (!e || blocks < 0 || (!pcm && blocks > 0))
        return ZEM_ERROR_INVALID_ARGUMENT;
    return zem::api::Guarded([&] { return e->Write(pcm, blocks); });
}

extern "C" int zem_encoder_finish(zem_encoder* e) {
    if (!e)
        return ZEM_ERROR_INVALID_ARGUMENT;
    const int result = zem::api::Guarded([&] { return e->Finish(); });
    delete e;
    return result;
}

extern "C" void zem_encoder_abort(zem_encoder* e) { delete e; }
