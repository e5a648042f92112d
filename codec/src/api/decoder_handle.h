// SPDX-License-Identifier: BSD-3-Clause
// What a zem_decoder holds: the codec's decoder with the facts about its
// range that the C API needs on every call, and the tag texts handed out.
#pragma once

#include "codec/include/zem/zem.h"
#include "platform/win32.h"
#include "decode/decoder.h"
#include "encode/md5.h"
#include "io/stream_io.h"

#include <cstdint>
#include <map>
#include <memory>
#include <new>
#include <string>
#include <vector>

namespace zem::api {

class CSequentialStream;

// The MD5 check zem_check_md5() asks for: the digest of the WAV file read so
// far (header and the blocks zem_read delivered) and what is left to add.
struct Md5Check {
    CMd5 md5;
    uint8_t stored[16] = {};
    std::vector<uint8_t> trailer;
    bool trailerAtEnd = false;  // read when reading gets there (a source without seek)
};

}  // namespace zem::api

struct zem_decoder {
    // What the decoder reads from when the handle owns it (zem_open_io,
    // zem_open_memory); declared first, so it goes after the decoder.
    std::unique_ptr<zem::CStreamIo> source;
    std::unique_ptr<zem::CDecoder> decoder;
    bool canSeek = true;          // false for a source read front to back
    // A source read front to back as it arrives: the WAV trailer behind the
    // frames can be read only once reading has got there.
    bool trailerAtEnd = false;
    const zem::api::CSequentialStream* sequential = nullptr;  // that source (owned by `source`)
    zem_stream_info info = {};
    uint64_t rangeStart = 0;      // stream block that block 0 stands for
    uint64_t streamBlocks = 0;    // the stream's total blocks
    int64_t blocksPerFrame = 0;
    int64_t totalFrames = 0;
    uint64_t position = 0;        // block the next zem_read starts at, from the range's start
    bool reposition = false;      // the decoder must seek to `position` before it reads
    // Tag values as UTF-8, kept so that the pointers stay valid until zem_close.
    mutable std::map<std::string, std::string> tagTexts;
    std::string errorDetail;  // of the last failed zem_read or zem_seek
    // A stream opened whole, not a link file or a range: the stored digest is
    // that of what it decodes to.
    bool wholeStream = false;
    // Only while a check asked for runs: reading without one pays nothing.
    std::unique_ptr<zem::api::Md5Check> md5Check;
};

namespace zem::api {

// The C API's result code for a codec result code.
int FromCodecError(int codecError);

// Runs `body` (which returns a result code or a count); an exception becomes
// ZEM_ERROR_NO_MEMORY (std::bad_alloc) or ZEM_ERROR_FAILED. Nothing escapes
// into the C caller.
template <class Body>
auto Guarded(Body&& body) noexcept -> decltype(body()) {
    using Result = decltype(body());
    try {
        return body();
    } catch (const std::bad_alloc&) {
        return static_cast<Result>(ZEM_ERROR_NO_MEMORY);
    } catch (...) {
        return static_cast<Result>(ZEM_ERROR_FAILED);
    }
}

// UTF-8 to the library's wide text; false for malformed UTF-8.
bool WideFromUtf8(const char* text, WString* wide);

// A UTF-8 path as the library takes it (on Windows '/' becomes '\\', the
// separator the link and cue code look for; elsewhere bytes that are not
// UTF-8 pass through as the system's name); false for NULL or empty text, and
// on Windows for text that is not UTF-8.
bool LibraryPathFromUtf8(const char* path, WString* wide);
// A path the library gives, as UTF-8 for the system (on Linux '\\' becomes '/').
std::string Utf8PathFromLibrary(const WString& path);
// The path from a root, for a relative one taken from the current folder.
WString AbsolutePath(const WString& path);

// The handle of a decoder the factory made, with its facts read once.
std::unique_ptr<zem_decoder> NewHandle(std::unique_ptr<CDecoder> decoder);
// The C API's result for a factory that made no decoder.
int OpenFailure(int codecError);
// Copies `text` NUL-terminated into `buffer` (nothing when it is NULL or
// `size` is 0), cut to `size` bytes at a UTF-8 character boundary.
void CopyDetail(const std::string& text, char* buffer, size_t size);

}  // namespace zem::api
