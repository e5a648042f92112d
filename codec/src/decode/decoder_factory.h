// SPDX-License-Identifier: BSD-3-Clause
// Opening audio by path: the factory picks the stream, reads link files and
// chooses the decoder class by stream version. The caller owns the result;
// `error` (optional) receives a CodecError, 0 on success. Nothing stays
// allocated after a failure.
#pragma once

#include "decode/decoder.h"
#include "platform/win32.h"

#include <cstdint>
#include <memory>

namespace zem {

class CStreamInfo;
class CStreamIo;

// What a caller allows the factory.
struct OpenOptions {
    // Link files may name network and device paths (see link/remote_path.h);
    // refused with CODEC_PATH_REFUSED otherwise.
    bool allowRemotePaths = false;
};

// What the factory found on the way, for callers that explain a failure.
struct OpenFindings {
    bool link = false;        // the file was read as a link file
    WString imagePath;        // the image it names, resolved, once read
    bool imageOpens = false;  // that image could be opened as a file
};

// Whether a file is read as a link file or a stream: by its first bytes (a
// link file's header line at the start), with the extension as a hint (for
// ".zlk" the header may lie anywhere in the first bytes, as the link reader
// takes it). Everything else is tried as a stream.
bool IsLinkFile(const WCHAR* path);

// A stream (the whole of it) or the image a link file names, limited to its
// track and carrying the link file's own tag; told apart by IsLinkFile.
std::unique_ptr<CDecoder> OpenDecoder(const WCHAR* path, int* error, const OpenOptions& options = OpenOptions(),
                                      OpenFindings* findings = nullptr);
// The whole stream on a caller's file object, which stays the caller's.
std::unique_ptr<CDecoder> OpenDecoderFromIo(CStreamIo* io, int* error);
// A decoder on stream information the caller made; the decoder (or, on
// failure, the factory) takes it over. -1 as start or finish means the
// stream's beginning or end.
std::unique_ptr<CDecoder> OpenDecoderFromInfo(CStreamInfo* info, int startBlock, int finishBlock, int* error);

}  // namespace zem
