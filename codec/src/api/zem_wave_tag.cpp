// SPDX-License-Identifier: BSD-3-Clause
// The WAV file's parts around the PCM, and tag values as UTF-8.
#include "api/decoder_handle.h"

#include "container/info_id.h"
#include "tag/tag_block.h"
#include "io/text_convert.h"

#include <climits>
#include <cstring>

using namespace zem;

namespace {

// The size of one part (query `sizeQuery`), copied by `dataQuery` when it fits.
long WavePart(const zem_decoder& d, void* buffer, size_t size, int sizeQuery, int dataQuery) {
    const int64_t bytes = d.decoder->GetInfo(sizeQuery);
    if (bytes < 0 || bytes > LONG_MAX)
        return ZEM_ERROR_FAILED;
    if (bytes > 0 && buffer && size >= static_cast<uint64_t>(bytes) && dataQuery == WavTrailerData &&
        d.trailerAtEnd && d.position < d.info.total_blocks)
        return ZEM_ERROR_UNSUPPORTED;
    if (bytes > 0 && buffer && size >= static_cast<uint64_t>(bytes) &&
        d.decoder->GetInfo(dataQuery, reinterpret_cast<intptr_t>(buffer), static_cast<intptr_t>(bytes)) != 0)
        return ZEM_ERROR_READ_FAILED;
    return static_cast<long>(bytes);
}

// The value as UTF-8: ZEM tags of version 2000 keep UTF-8 already (handed
// out as stored, so characters beyond 16 bits survive), older ones and ID3v1
// records ANSI text. Binary values give no text.
const char* TagText(const zem_decoder& d, const char* field) {
    auto found = d.tagTexts.find(field);
    if (found != d.tagTexts.end())
        return found->second.c_str();
    auto* tag = reinterpret_cast<CTagBlock*>(static_cast<intptr_t>(d.decoder->GetInfo(Tag)));
    WString name;
    if (!tag || !zem::api::WideFromUtf8(field, &name) || name.empty())
        return nullptr;
    const CTagItem* item = tag->GetField(name.c_str());
    if (!item)
        return nullptr;
    const char* value = reinterpret_cast<const char*>(item->GetValue());
    std::string text;
    if (item->IsAnsiText())
        text = AnsiToUtf8(value);
    else if (item->IsText())
        text.assign(value, strnlen(value, static_cast<size_t>(item->GetValueSize())));
    else
        return nullptr;
    return d.tagTexts.emplace(field, std::move(text)).first->second.c_str();
}

}  // namespace

extern "C" long zem_get_wav_header(const zem_decoder* d, void* buffer, size_t size) {
    if (!d)
        return ZEM_ERROR_INVALID_ARGUMENT;
    return zem::api::Guarded([&] { return WavePart(*d, buffer, size, WavHeaderBytes, WavHeaderData); });
}

extern "C" long zem_get_wav_trailer(const zem_decoder* d, void* buffer, size_t size) {
    if (!d)
        return ZEM_ERROR_INVALID_ARGUMENT;
    return zem::api::Guarded([&] { return WavePart(*d, buffer, size, WavTrailerBytes, WavTrailerData); });
}

extern "C" const char* zem_get_tag(const zem_decoder* d, const char* field) {
    if (!d || !field)
        return nullptr;
    try {
        return TagText(*d, field);
    } catch (...) {
        return nullptr;
    }
}
