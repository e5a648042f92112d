// SPDX-License-Identifier: BSD-3-Clause
#include "tools/zemtool/convert/output_writers.h"

#include "tools/zemtool/convert/output_commit.h"
#include "tools/zemtool/convert/tag_mapping.h"

#include <zem/zem.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

namespace zemtool {
namespace {

constexpr long kChunkBlocks = 4096;

std::string WriteWavFile(PcmSource& source, const std::string& path) {
    std::ofstream file(std::filesystem::u8path(path), std::ios::binary | std::ios::trunc);
    if (!file)
        return "cannot create the file";
    const std::vector<uint8_t> header = source.wavHeader.empty() ? PlainWavHeader(source.format) : source.wavHeader;
    file.write(reinterpret_cast<const char*>(header.data()), static_cast<std::streamsize>(header.size()));
    std::vector<uint8_t> pcm(static_cast<size_t>(kChunkBlocks) * source.format.BlockAlign());
    std::string problem;
    long n;
    while ((n = source.Read(pcm.data(), kChunkBlocks, &problem)) > 0)
        file.write(reinterpret_cast<const char*>(pcm.data()), static_cast<std::streamsize>(n) * source.format.BlockAlign());
    if (n < 0)
        return problem;
    file.write(reinterpret_cast<const char*>(source.wavTrailer.data()),
               static_cast<std::streamsize>(source.wavTrailer.size()));
    file.close();
    return file ? std::string() : "writing the file failed";
}

// ZEM names for the Vorbis fields; TRACKNUMBER and TRACKTOTAL join as "n/total".
std::vector<std::pair<std::string, std::string>> ZemItems(const TagFields& tags) {
    std::vector<std::pair<std::string, std::string>> items;
    const std::string total = FieldValue(tags, "TRACKTOTAL");
    for (const auto& field : tags) {
        std::string name = ZemName(field.first);
        std::string value = field.second;
        if (VorbisName(field.first) == "TRACKTOTAL" && !total.empty())
            continue;
        if (name == "Track" && !total.empty())
            value += "/" + total;
        auto same = std::find_if(items.begin(), items.end(), [&](const auto& item) { return item.first == name; });
        if (same == items.end())
            items.emplace_back(name, value);
        else
            same->second += "; " + value;
    }
    return items;
}

std::string WriteTag(const ConvertItem& item, const std::string& path) {
    int error = 0;
    zem_tag* tag = zem_tag_open(path.c_str(), &error);
    if (!tag)
        return std::string("cannot open the new stream's tag: ") + zem_error_text(error);
    std::string problem;
    for (const auto& field : ZemItems(item.tags)) {
        if (zem_tag_set(tag, field.first.c_str(), field.second.c_str()) != ZEM_OK)
            problem = "the tag field " + field.first + " cannot be stored";
    }
    if (!item.cover.mime.empty()) {
        const std::vector<uint8_t> value = CoverItemValue(item.cover);
        if (zem_tag_set_binary(tag, kFrontCoverItem, value.data(), value.size()) != ZEM_OK)
            problem = "the cover cannot be stored";
    }
    if (problem.empty() && (error = zem_tag_save(tag)) != ZEM_OK)
        problem = std::string("writing the tag failed: ") + zem_error_text(error);
    zem_tag_close(tag);
    return problem;
}

std::string EncodeZem(PcmSource& source, const ConvertItem& item, unsigned level, unsigned threads,
                      const std::string& path) {
    zem_encoder_settings settings{};
    settings.sample_rate = source.format.sampleRate;
    settings.channels = source.format.channels;
    settings.bits_per_sample = source.format.bitsPerSample;
    settings.compression_level = level;
    settings.threads = threads;
    int error = 0;
    zem_encoder* encoder = zem_encoder_open(path.c_str(), &settings, &error);
    if (!encoder)
        return std::string("cannot start encoding: ") + zem_error_text(error);
    // A header the encoder does not take (an extensible format, say) gives way to the plain one.
    if (!source.wavHeader.empty() &&
        zem_encoder_set_wav_header(encoder, source.wavHeader.data(), source.wavHeader.size()) == ZEM_OK)
        zem_encoder_set_wav_trailer(encoder, source.wavTrailer.data(), source.wavTrailer.size());
    std::vector<uint8_t> pcm(static_cast<size_t>(kChunkBlocks) * source.format.BlockAlign());
    std::string problem;
    long n;
    while ((n = source.Read(pcm.data(), kChunkBlocks, &problem)) > 0) {
        if (zem_encoder_write(encoder, pcm.data(), n) != n) {
            zem_encoder_abort(encoder);
            return "writing the stream failed";
        }
    }
    if (n < 0) {
        zem_encoder_abort(encoder);
        return problem;
    }
    if ((error = zem_encoder_finish(encoder)) != ZEM_OK)
        return std::string("encoding failed: ") + zem_error_text(error);
    return WriteTag(item, path);
}

}  // namespace

std::string WriteWav(PcmSource& source, const ConvertItem& item) {
    return CommitOutput(item.output, [&](const std::string& temporary) { return WriteWavFile(source, temporary); });
}

std::string WriteZem(PcmSource& source, const ConvertItem& item, unsigned level, unsigned threads) {
    return CommitOutput(item.output, [&](const std::string& temporary) {
        return EncodeZem(source, item, level, threads, temporary);
    });
}

}  // namespace zemtool
