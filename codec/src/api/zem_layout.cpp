// SPDX-License-Identifier: BSD-3-Clause
// Where a stream's parts lie in its file, and a link file read without its
// image: what a program that serves a stream's bytes itself (zemfs) needs
// beyond decoding.
#include "api/decoder_handle.h"
#include "decode/decoder_factory.h"

#include "container/info_id.h"
#include "container/stream_info_record.h"
#include "io/win32_file.h"
#include "link/link_file.h"
#include "tag/tag_block.h"

#include <cstring>

using namespace zem;

extern "C" int zem_get_layout(const zem_decoder* d, zem_stream_layout* layout) {
    if (!d || !layout)
        return ZEM_ERROR_INVALID_ARGUMENT;
    if (!d->wholeStream)
        return ZEM_ERROR_UNSUPPORTED;
    return zem::api::Guarded([&] {
        CDecoder& decoder = *d->decoder;
        const auto* record = reinterpret_cast<const StreamInfoRecord*>(
            static_cast<intptr_t>(decoder.GetInfo(InfoRecord)));
        auto* io = reinterpret_cast<CStreamIo*>(static_cast<intptr_t>(decoder.GetInfo(IoSource)));
        auto* tag = reinterpret_cast<CTagBlock*>(static_cast<intptr_t>(decoder.GetInfo(Tag)));
        if (!record || !io)
            return ZEM_ERROR_FAILED;
        const int64_t size = io->GetSize();
        const int64_t tags = tag ? tag->GetTrailingBytes() : 0;
        const int64_t trailer = static_cast<uint32_t>(record->waveTerminatingBytes);
        const uint64_t streamStart = static_cast<uint32_t>(record->junkBytes);
        const uint64_t framesStart = static_cast<uint32_t>(decoder.GetInfo(SeekByte, 0));
        if (size < 0 || tags < 0 || size - tags < trailer || framesStart < streamStart)
            return ZEM_ERROR_BAD_INPUT;
        layout->stream_start = streamStart;
        layout->frames_start = framesStart;
        layout->audio_end = static_cast<uint64_t>(size - tags);
        layout->trailer_bytes = static_cast<uint64_t>(trailer);
        layout->blocks = d->streamBlocks;
        return ZEM_OK;
    });
}

extern "C" int zem_is_link_file(const char* path_utf8) {
    WString path;
    if (!zem::api::LibraryPathFromUtf8(path_utf8, &path))
        return ZEM_ERROR_INVALID_ARGUMENT;
    return zem::api::Guarded([&] { return IsLinkFile(path.c_str()) ? 1 : 0; });
}

extern "C" long zem_link_read(const char* link_path_utf8, char* buffer, size_t size, int64_t* start_block,
                              int64_t* finish_block) {
    WString path;
    if (!zem::api::LibraryPathFromUtf8(link_path_utf8, &path))
        return ZEM_ERROR_INVALID_ARGUMENT;
    return zem::api::Guarded([&]() -> long {
        {
            CWin32File file;
            if (file.OpenForReading(path.c_str()) != 0)
                return ZEM_ERROR_CANNOT_OPEN;
        }
        CLinkFile link;
        link.ReadLinkFile(path.c_str());
        if (!link.IsValid())
            return ZEM_ERROR_BAD_INPUT;
        const std::string image = zem::api::Utf8PathFromLibrary(link.GetImagePath());
        if (buffer && size > image.size())
            std::memcpy(buffer, image.c_str(), image.size() + 1);
        if (start_block)
            *start_block = link.GetStartBlock();
        if (finish_block)
            *finish_block = link.GetFinishBlock();
        return static_cast<long>(image.size());
    });
}
