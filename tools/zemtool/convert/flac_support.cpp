// SPDX-License-Identifier: BSD-3-Clause
#include "tools/zemtool/convert/flac_support.h"

#include "tools/zemtool/convert/output_commit.h"
#include "tools/zemtool/convert/tag_mapping.h"
#include "tools/zemtool/convert/utf8_file.h"

#ifdef ZEM_HAVE_FLAC
#include <FLAC/metadata.h>
#include <FLAC/stream_decoder.h>
#include <FLAC/stream_encoder.h>
#endif

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace zemtool {

const char kNoFlacSupport[] = "FLAC is not available in this build";

#ifndef ZEM_HAVE_FLAC

const bool kHaveFlac = false;

std::string ReadFlacTags(const std::string&, TagFields*, Picture*) { return kNoFlacSupport; }

std::unique_ptr<PcmSource> OpenFlacSource(const std::string&, std::string* problem) {
    *problem = kNoFlacSupport;
    return nullptr;
}

std::string WriteFlac(PcmSource&, const ConvertItem&, unsigned) { return kNoFlacSupport; }

#else

const bool kHaveFlac = true;

namespace {

// The whole file decoded up front: libFLAC hands out frames through a
// callback, and the MD5 check is only known at the end.
class FlacSource : public PcmSource {
public:
    long Read(uint8_t* pcm, long maxBlocks, std::string*) override {
        const size_t align = format.BlockAlign();
        const size_t left = (m_pcm.size() - m_at) / align;
        const size_t n = std::min(left, static_cast<size_t>(maxBlocks));
        std::memcpy(pcm, m_pcm.data() + m_at, n * align);
        m_at += n * align;
        return static_cast<long>(n);
    }

    std::string Decode(const std::string& path) {
        FLAC__StreamDecoder* decoder = FLAC__stream_decoder_new();
        if (!decoder)
            return "out of memory";
        FLAC__stream_decoder_set_md5_checking(decoder, true);
        static const FLAC__byte kRiff[4] = {'r', 'i', 'f', 'f'};
        FLAC__stream_decoder_set_metadata_respond_application(decoder, kRiff);
        std::string problem;
        // The decoder owns the stream from here and closes it.
        std::FILE* file = OpenUtf8File(path, "rb");
        if (!file || FLAC__stream_decoder_init_FILE(decoder, file, &Write, &Metadata, &Error, this) !=
                         FLAC__STREAM_DECODER_INIT_STATUS_OK) {
            problem = "cannot open the file";
        } else if (!FLAC__stream_decoder_process_until_end_of_stream(decoder) || !m_problem.empty()) {
            problem = m_problem.empty() ? FLAC__stream_decoder_get_resolved_state_string(decoder) : m_problem;
        } else if (!FLAC__stream_decoder_finish(decoder)) {
            problem = "the decoded audio does not match the MD5 sum of its STREAMINFO";
        }
        FLAC__stream_decoder_delete(decoder);
        if (problem.empty())
            format.blocks = m_pcm.size() / format.BlockAlign();
        KeepForeignChunks();
        return problem;
    }

private:
    static FLAC__StreamDecoderWriteStatus Write(const FLAC__StreamDecoder*, const FLAC__Frame* frame,
                                                const FLAC__int32* const buffer[], void* user) {
        auto* self = static_cast<FlacSource*>(user);
        const unsigned bits = frame->header.bits_per_sample;
        const unsigned channels = frame->header.channels;
        if (bits != self->format.bitsPerSample || channels != self->format.channels) {
            self->m_problem = "a frame changes the stream's format";
            return FLAC__STREAM_DECODER_WRITE_STATUS_ABORT;
        }
        const unsigned bytes = (bits + 7) / 8;
        for (unsigned i = 0; i < frame->header.blocksize; ++i) {
            for (unsigned c = 0; c < channels; ++c) {
                uint32_t sample = static_cast<uint32_t>(buffer[c][i]);
                if (bits == 8)
                    sample += 128u;
                for (unsigned b = 0; b < bytes; ++b)
                    self->m_pcm.push_back(static_cast<uint8_t>(sample >> (8 * b)));
            }
        }
        return FLAC__STREAM_DECODER_WRITE_STATUS_CONTINUE;
    }

    // The WAVE file's own chunks that `flac --keep-foreign-metadata` stored, one
    // "riff" application block each, in file order: the RIFF header, the chunks
    // up to the data chunk's 8-byte header, then those behind the data. Used
    // only when they describe this very audio.
    void KeepForeignChunks() {
        std::vector<uint8_t> header, trailer;
        bool behindData = false;
        for (const std::vector<uint8_t>& chunk : m_riffChunks) {
            (behindData ? trailer : header).insert((behindData ? trailer : header).end(), chunk.begin(), chunk.end());
            if (chunk.size() == 8 && std::memcmp(chunk.data(), "data", 4) == 0)
                behindData = true;
        }
        const uint64_t dataBytes = format.blocks * format.BlockAlign();
        if (!behindData || header.size() < 20 || std::memcmp(header.data(), "RIFF", 4) != 0)
            return;
        const uint8_t* size = header.data() + header.size() - 4;
        const uint32_t stated = size[0] | (size[1] << 8) | (size[2] << 16) | (static_cast<uint32_t>(size[3]) << 24);
        if (stated != dataBytes)
            return;
        if (dataBytes & 1u)
            return;  // a pad byte follows odd data: left to the plain header
        wavHeader = std::move(header);
        wavTrailer = std::move(trailer);
    }

    static void Metadata(const FLAC__StreamDecoder*, const FLAC__StreamMetadata* block, void* user) {
        auto* self = static_cast<FlacSource*>(user);
        if (block->type == FLAC__METADATA_TYPE_APPLICATION && block->length > 4 &&
            std::memcmp(block->data.application.id, "riff", 4) == 0) {
            const FLAC__byte* data = block->data.application.data;
            self->m_riffChunks.emplace_back(data, data + (block->length - 4));
            return;
        }
        if (block->type != FLAC__METADATA_TYPE_STREAMINFO)
            return;
        const FLAC__StreamMetadata_StreamInfo& info = block->data.stream_info;
        self->format.sampleRate = info.sample_rate;
        self->format.channels = info.channels;
        self->format.bitsPerSample = info.bits_per_sample;
        if (info.bits_per_sample != 8 && info.bits_per_sample != 16 && info.bits_per_sample != 24)
            self->m_problem = std::to_string(info.bits_per_sample) + "-bit samples (only 8, 16 and 24 are taken)";
        else if (info.total_samples > 0 && info.total_samples < (1u << 30))
            self->m_pcm.reserve(static_cast<size_t>(info.total_samples) * self->format.BlockAlign());
    }

    static void Error(const FLAC__StreamDecoder*, FLAC__StreamDecoderErrorStatus status, void* user) {
        auto* self = static_cast<FlacSource*>(user);
        if (self->m_problem.empty())
            self->m_problem = std::string("damaged frame: ") + FLAC__StreamDecoderErrorStatusString[status];
    }

    std::vector<uint8_t> m_pcm;
    std::vector<std::vector<uint8_t>> m_riffChunks;
    size_t m_at = 0;
    std::string m_problem;
};

// The metadata blocks alone, from a stream our code opened as for the audio:
// how a UTF-8 name reaches the system is our choice on every platform, not
// the libFLAC version's at hand. Picks the blocks libFLAC's readers by name
// would: the first Vorbis comment block (none makes the file unreadable, as
// for them) and, of the front covers, the largest, then the deepest.
class FlacTagReader {
public:
    bool Read(const std::string& path) {
        FLAC__StreamDecoder* decoder = FLAC__stream_decoder_new();
        if (!decoder)
            return false;
        FLAC__stream_decoder_set_metadata_respond(decoder, FLAC__METADATA_TYPE_VORBIS_COMMENT);
        FLAC__stream_decoder_set_metadata_respond(decoder, FLAC__METADATA_TYPE_PICTURE);
        std::FILE* file = OpenUtf8File(path, "rb");
        const bool read = file &&
                          FLAC__stream_decoder_init_FILE(decoder, file, &Write, &Metadata, &Error, this) ==
                              FLAC__STREAM_DECODER_INIT_STATUS_OK &&
                          FLAC__stream_decoder_process_until_end_of_metadata(decoder) && !m_damaged;
        FLAC__stream_decoder_delete(decoder);
        return read && m_haveComments;
    }

    TagFields tags;
    std::vector<uint8_t> cover;

private:
    static FLAC__StreamDecoderWriteStatus Write(const FLAC__StreamDecoder*, const FLAC__Frame*,
                                                const FLAC__int32* const[], void*) {
        return FLAC__STREAM_DECODER_WRITE_STATUS_ABORT;  // never reached: the reading ends before the audio
    }

    static void Metadata(const FLAC__StreamDecoder*, const FLAC__StreamMetadata* block, void* user) {
        auto* self = static_cast<FlacTagReader*>(user);
        if (block->type == FLAC__METADATA_TYPE_VORBIS_COMMENT && !self->m_haveComments) {
            self->m_haveComments = true;
            const FLAC__StreamMetadata_VorbisComment& comments = block->data.vorbis_comment;
            for (FLAC__uint32 i = 0; i < comments.num_comments; ++i) {
                char* name = nullptr;
                char* value = nullptr;
                if (FLAC__metadata_object_vorbiscomment_entry_to_name_value_pair(comments.comments[i], &name,
                                                                                 &value)) {
                    self->tags.emplace_back(name, value);
                    free(name);
                    free(value);
                }
            }
        } else if (block->type == FLAC__METADATA_TYPE_PICTURE) {
            const FLAC__StreamMetadata_Picture& p = block->data.picture;
            const uint64_t area = uint64_t{p.width} * p.height;
            if (p.type == FLAC__STREAM_METADATA_PICTURE_TYPE_FRONT_COVER &&
                (area > self->m_coverArea || (area == self->m_coverArea && p.depth > self->m_coverDepth))) {
                self->cover.assign(p.data, p.data + p.data_length);
                self->m_coverArea = area;
                self->m_coverDepth = p.depth;
            }
        }
    }

    static void Error(const FLAC__StreamDecoder*, FLAC__StreamDecoderErrorStatus, void* user) {
        static_cast<FlacTagReader*>(user)->m_damaged = true;
    }

    bool m_haveComments = false;
    bool m_damaged = false;
    uint64_t m_coverArea = 0;
    uint32_t m_coverDepth = 0;
};

FLAC__StreamMetadata* CommentBlock(const TagFields& tags) {
    FLAC__StreamMetadata* block = FLAC__metadata_object_new(FLAC__METADATA_TYPE_VORBIS_COMMENT);
    for (const auto& field : tags) {
        FLAC__StreamMetadata_VorbisComment_Entry entry;
        if (FLAC__metadata_object_vorbiscomment_entry_from_name_value_pair(&entry, field.first.c_str(),
                                                                           field.second.c_str()))
            FLAC__metadata_object_vorbiscomment_append_comment(block, entry, false);
    }
    return block;
}

FLAC__StreamMetadata* PictureBlock(const Picture& cover) {
    FLAC__StreamMetadata* block = FLAC__metadata_object_new(FLAC__METADATA_TYPE_PICTURE);
    block->data.picture.type = FLAC__STREAM_METADATA_PICTURE_TYPE_FRONT_COVER;
    FLAC__metadata_object_picture_set_mime_type(block, const_cast<char*>(cover.mime.c_str()), true);
    FLAC__byte none[] = "";
    FLAC__metadata_object_picture_set_description(block, none, true);
    block->data.picture.width = cover.width;
    block->data.picture.height = cover.height;
    block->data.picture.depth = cover.depth;
    FLAC__metadata_object_picture_set_data(block, const_cast<FLAC__byte*>(cover.bytes.data()),
                                           static_cast<FLAC__uint32>(cover.bytes.size()), true);
    return block;
}

std::string Encode(PcmSource& source, const ConvertItem& item, unsigned level, const std::string& path) {
    const PcmFormat& f = source.format;
    FLAC__StreamEncoder* encoder = FLAC__stream_encoder_new();
    if (!encoder)
        return "out of memory";
    FLAC__stream_encoder_set_channels(encoder, f.channels);
    FLAC__stream_encoder_set_bits_per_sample(encoder, f.bitsPerSample);
    FLAC__stream_encoder_set_sample_rate(encoder, f.sampleRate);
    FLAC__stream_encoder_set_compression_level(encoder, level);
    FLAC__stream_encoder_set_total_samples_estimate(encoder, f.blocks);
    std::vector<FLAC__StreamMetadata*> blocks{CommentBlock(item.tags)};
    if (!item.cover.mime.empty())
        blocks.push_back(PictureBlock(item.cover));
    FLAC__StreamMetadata* padding = FLAC__metadata_object_new(FLAC__METADATA_TYPE_PADDING);
    padding->length = 8192;
    blocks.push_back(padding);
    FLAC__stream_encoder_set_metadata(encoder, blocks.data(), static_cast<unsigned>(blocks.size()));
    std::string problem;
    // The encoder owns the stream from here and closes it.
    std::FILE* file = OpenUtf8File(path, "wb");
    if (!file ||
        FLAC__stream_encoder_init_FILE(encoder, file, nullptr, nullptr) != FLAC__STREAM_ENCODER_INIT_STATUS_OK) {
        problem = "cannot create the file";
    } else {
        const unsigned bytes = (f.bitsPerSample + 7) / 8;
        const long chunk = 4096;
        std::vector<uint8_t> pcm(static_cast<size_t>(chunk) * f.BlockAlign());
        std::vector<FLAC__int32> samples(static_cast<size_t>(chunk) * f.channels);
        long n;
        while (problem.empty() && (n = source.Read(pcm.data(), chunk, &problem)) > 0) {
            const size_t count = static_cast<size_t>(n) * f.channels;
            for (size_t i = 0; i < count; ++i) {
                const uint8_t* p = pcm.data() + i * bytes;
                uint32_t value = 0;
                for (unsigned b = 0; b < bytes; ++b)
                    value |= static_cast<uint32_t>(p[b]) << (8 * b);
                // Sign-extend from the sample's width; 8-bit WAV samples are unsigned.
                const uint32_t sign = 1u << (f.bitsPerSample - 1);
                if (f.bitsPerSample == 8)
                    value ^= sign;
                samples[i] = static_cast<FLAC__int32>(static_cast<int64_t>((value ^ sign)) - sign);
            }
            if (!FLAC__stream_encoder_process_interleaved(encoder, samples.data(), static_cast<unsigned>(n)))
                problem = FLAC__stream_encoder_get_resolved_state_string(encoder);
        }
        if (!FLAC__stream_encoder_finish(encoder) && problem.empty())
            problem = "writing the file failed";
    }
    FLAC__stream_encoder_delete(encoder);
    for (FLAC__StreamMetadata* block : blocks)
        FLAC__metadata_object_delete(block);
    return problem;
}

}  // namespace

std::string ReadFlacTags(const std::string& path, TagFields* tags, Picture* cover) {
    FlacTagReader reader;
    if (!reader.Read(path))
        return "not a readable FLAC file";
    tags->insert(tags->end(), reader.tags.begin(), reader.tags.end());
    if (!reader.cover.empty())
        *cover = DescribePicture(std::move(reader.cover));
    return {};
}

std::unique_ptr<PcmSource> OpenFlacSource(const std::string& path, std::string* problem) {
    auto source = std::make_unique<FlacSource>();
    *problem = source->Decode(path);
    if (!problem->empty())
        return nullptr;
    return source;
}

std::string WriteFlac(PcmSource& source, const ConvertItem& item, unsigned level) {
    return CommitOutput(item.output, [&](const std::string& temporary) {
        return Encode(source, item, level, temporary);
    });
}

#endif

}  // namespace zemtool
