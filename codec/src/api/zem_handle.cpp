// SPDX-License-Identifier: BSD-3-Clause
// The handle built around a decoder, and the path conversions of the C API's
// newer functions.
#include "api/decoder_handle.h"

#include "container/codec_error.h"
#include "container/info_id.h"
#include "io/path_text.h"

#include <algorithm>
#include <vector>
#ifndef _WIN32
#include <unistd.h>

using namespace zem;
#endif

namespace zem::api {
namespace {

unsigned Unsigned(int64_t value) { return static_cast<unsigned>(std::max<int64_t>(value, 0)); }
uint64_t Count(int64_t value) { return static_cast<uint64_t>(std::max<int64_t>(value, 0)); }

}  // namespace

std::unique_ptr<zem_decoder> NewHandle(std::unique_ptr<CDecoder> decoder) {
    auto handle = std::make_unique<zem_decoder>();
    CDecoder& d = *decoder;
    handle->info.version = Unsigned(d.GetInfo(Version));
    handle->info.compression_level = Unsigned(d.GetInfo(CompressionLevel));
    handle->info.sample_rate = Unsigned(d.GetInfo(SampleRate));
    handle->info.channels = Unsigned(d.GetInfo(Channels));
    handle->info.bits_per_sample = Unsigned(d.GetInfo(BitsPerSample));
    handle->info.block_align = Unsigned(d.GetInfo(BlockAlign));
    handle->info.total_blocks = Count(d.GetInfo(DecoderTotalBlocks));
    handle->streamBlocks = Count(d.GetInfo(TotalBlocks));
    handle->blocksPerFrame = d.GetInfo(BlocksPerFrame);
    handle->totalFrames = d.GetInfo(TotalFrames);
    handle->rangeStart = Count(d.GetInfo(DecoderRangeStart));
    handle->decoder = std::move(decoder);
    return handle;
}

int OpenFailure(int codecError) {
    // The factory's -1 is a version no decoder takes (or a decoder that could not be built).
    if (codecError == CODEC_FAILED)
        return ZEM_ERROR_UNSUPPORTED;
    return codecError ? FromCodecError(codecError) : ZEM_ERROR_BAD_INPUT;
}

bool LibraryPathFromUtf8(const char* path, WString* wide) {
    if (!path || !*path || !WidePathFromUtf8(path, wide))
        return false;
#ifdef _WIN32
    std::replace(wide->begin(), wide->end(), WCHAR('/'), WCHAR('\\'));
#endif
    return true;
}

std::string Utf8PathFromLibrary(const WString& path) {
    std::string utf8 = Utf8PathFromWide(path);
#ifndef _WIN32
    std::replace(utf8.begin(), utf8.end(), '\\', '/');
#endif
    return utf8;
}

WString AbsolutePath(const WString& path) {
#ifdef _WIN32
    DWORD units = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (units == 0)
        return path;
    WString full(units, WCHAR(0));
    units = GetFullPathNameW(path.c_str(), units, &full[0], nullptr);
    full.resize(units);
    return full;
#else
    if (!path.empty() && (path[0] == WCHAR('/') || path[0] == WCHAR('\\')))
        return path;
    std::vector<char> folder(4096);
    WString wide;
    if (!getcwd(folder.data(), folder.size()) || !WidePathFromUtf8(folder.data(), &wide))
        return path;
    return wide + WCHAR('/') + path;
#endif
}

}  // namespace zem::api
