// SPDX-License-Identifier: BSD-3-Clause
#include "tools/zemtool/convert/pcm_source.h"

#include "tools/zemtool/convert/flac_support.h"

#include <zem/zem.h>

#include <algorithm>
#include <cstring>
#include <fstream>

namespace zemtool {
namespace {

void PutLe(std::vector<uint8_t>& out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

uint32_t GetLe(const uint8_t* p, int bytes) {
    uint32_t value = 0;
    for (int i = bytes - 1; i >= 0; --i)
        value = (value << 8) | p[i];
    return value;
}

// A stream, a link's track or a range of an image, through libzem.
class ZemSource : public PcmSource {
public:
    explicit ZemSource(zem_decoder* decoder) : m_decoder(decoder) {}
    ~ZemSource() override { zem_close(m_decoder); }

    long Read(uint8_t* pcm, long maxBlocks, std::string* problem) override {
        const long n = zem_read(m_decoder, pcm, maxBlocks);
        if (n < 0) {
            char detail[256] = "";
            zem_get_error_detail(m_decoder, detail, sizeof detail);
            *problem = std::string(zem_error_text(static_cast<int>(n))) + (*detail ? std::string(": ") + detail : "");
        }
        return n;
    }

private:
    zem_decoder* m_decoder;
};

std::unique_ptr<PcmSource> OpenZem(const ConvertItem& item, std::string* problem) {
    int error = 0;
    char detail[512] = "";
    zem_decoder* decoder = item.range ? zem_open_range64(item.path.c_str(), item.start, item.finish, &error)
                                      : zem_open_ex(item.path.c_str(), 0, &error, detail, sizeof detail);
    if (!decoder) {
        *problem = std::string(zem_error_text(error)) + (*detail ? std::string(": ") + detail : "");
        return nullptr;
    }
    auto source = std::make_unique<ZemSource>(decoder);
    zem_stream_info info;
    zem_get_info(decoder, &info);
    source->format = {info.sample_rate, info.channels, info.bits_per_sample, info.total_blocks};
    const long header = zem_get_wav_header(decoder, nullptr, 0);
    const long trailer = zem_get_wav_trailer(decoder, nullptr, 0);
    source->wavHeader.resize(header > 0 ? static_cast<size_t>(header) : 0);
    source->wavTrailer.resize(trailer > 0 ? static_cast<size_t>(trailer) : 0);
    zem_get_wav_header(decoder, source->wavHeader.data(), source->wavHeader.size());
    zem_get_wav_trailer(decoder, source->wavTrailer.data(), source->wavTrailer.size());
    return source;
}

// A PCM WAV file: its chunks up to the data chunk are kept as the header,
// whatever follows the data as the trailer.
class WavSource : public PcmSource {
public:
    long Read(uint8_t* pcm, long maxBlocks, std::string* problem) override {
        const uint64_t left = format.blocks - m_done;
        const long n = static_cast<long>(std::min<uint64_t>(left, static_cast<uint64_t>(maxBlocks)));
        if (n == 0)
            return 0;
        if (!m_file.read(reinterpret_cast<char*>(pcm), static_cast<std::streamsize>(n) * format.BlockAlign())) {
            *problem = "the file ends inside its data chunk";
            return -1;
        }
        m_done += static_cast<uint64_t>(n);
        return n;
    }

    std::string Open(const std::string& path) {
        m_file.open(path, std::ios::binary);
        if (!m_file)
            return "cannot open the file";
        uint8_t riff[12];
        if (!m_file.read(reinterpret_cast<char*>(riff), 12) || std::memcmp(riff, "RIFF", 4) != 0 ||
            std::memcmp(riff + 8, "WAVE", 4) != 0)
            return "not a RIFF WAVE file";
        wavHeader.assign(riff, riff + 12);
        bool haveFormat = false;
        for (;;) {
            uint8_t chunk[8];
            if (!m_file.read(reinterpret_cast<char*>(chunk), 8))
                return haveFormat ? "no data chunk" : "no fmt chunk";
            wavHeader.insert(wavHeader.end(), chunk, chunk + 8);
            const uint32_t size = GetLe(chunk + 4, 4);
            if (std::memcmp(chunk, "data", 4) == 0) {
                if (!haveFormat)
                    return "the data chunk comes before the fmt chunk";
                format.blocks = size / format.BlockAlign();
                break;
            }
            if (size > (1u << 24))
                return "a chunk in front of the data is too large";
            std::vector<uint8_t> body(size + (size & 1u));
            if (!m_file.read(reinterpret_cast<char*>(body.data()), static_cast<std::streamsize>(body.size())))
                return "the file ends inside a chunk";
            wavHeader.insert(wavHeader.end(), body.begin(), body.end());
            if (std::memcmp(chunk, "fmt ", 4) == 0 && size >= 16) {
                const uint32_t tag = GetLe(body.data(), 2);
                format.channels = GetLe(body.data() + 2, 2);
                format.sampleRate = GetLe(body.data() + 4, 4);
                format.bitsPerSample = GetLe(body.data() + 14, 2);
                if ((tag != 1 && tag != 0xFFFE) || format.channels == 0 || format.sampleRate == 0 ||
                    (format.bitsPerSample != 8 && format.bitsPerSample != 16 && format.bitsPerSample != 24))
                    return "not 8, 16 or 24-bit integer PCM";
                haveFormat = true;
            }
        }
        const std::streamoff dataStart = m_file.tellg();
        const std::streamoff dataEnd =
            dataStart + static_cast<std::streamoff>(format.blocks) * static_cast<std::streamoff>(format.BlockAlign());
        m_file.seekg(0, std::ios::end);
        const std::streamoff fileEnd = m_file.tellg();
        if (fileEnd < dataEnd)
            return "the file ends inside its data chunk";
        wavTrailer.resize(static_cast<size_t>(fileEnd - dataEnd));
        m_file.seekg(dataEnd);
        m_file.read(reinterpret_cast<char*>(wavTrailer.data()), static_cast<std::streamsize>(wavTrailer.size()));
        m_file.clear();
        m_file.seekg(dataStart);
        return {};
    }

private:
    std::ifstream m_file;
    uint64_t m_done = 0;
};

}  // namespace

std::vector<uint8_t> PlainWavHeader(const PcmFormat& format) {
    const uint64_t data = format.blocks * format.BlockAlign();
    const uint32_t dataSize = data > 0xFFFFFFFFu - 36 ? 0xFFFFFFFFu - 36 : static_cast<uint32_t>(data);
    std::vector<uint8_t> h;
    h.insert(h.end(), {'R', 'I', 'F', 'F'});
    PutLe(h, dataSize + 36, 4);
    h.insert(h.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    PutLe(h, 16, 4);
    PutLe(h, 1, 2);
    PutLe(h, format.channels, 2);
    PutLe(h, format.sampleRate, 4);
    PutLe(h, format.sampleRate * format.BlockAlign(), 4);
    PutLe(h, format.BlockAlign(), 2);
    PutLe(h, format.bitsPerSample, 2);
    h.insert(h.end(), {'d', 'a', 't', 'a'});
    PutLe(h, dataSize, 4);
    return h;
}

std::unique_ptr<PcmSource> OpenPcmSource(const ConvertItem& item, std::string* problem) {
    switch (item.kind) {
    case SourceKind::Zem:
        return OpenZem(item, problem);
    case SourceKind::Flac:
        return OpenFlacSource(item.path, problem);
    case SourceKind::Wav: {
        auto source = std::make_unique<WavSource>();
        *problem = source->Open(item.path);
        if (!problem->empty())
            return nullptr;
        return source;
    }
    }
    return nullptr;
}

}  // namespace zemtool
