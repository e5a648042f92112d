// Opening audio by path: the factory picks the stream, reads link files and
// chooses the decoder class by stream version. The caller owns the result;
// `error` (optional) receives a CodecError, 0 on success. Nothing stays
// allocated after a failure.
#pragma once

#include "decode/decoder.h"
#include "platform/win32.h"

#include <cstdint>
#include <memory>

class CStreamInfo;
class CStreamIo;

// ".zem" and ".qrb" open the whole stream; ".zlk" opens the image a link file
// names, limited to its track and carrying the link file's own tag.
std::unique_ptr<CDecoder> OpenDecoder(const WCHAR* path, int* error);
// The whole stream on a caller's file object, which stays the caller's.
std::unique_ptr<CDecoder> OpenDecoderFromIo(CStreamIo* io, int* error);
// A decoder on stream information the caller made; the decoder (or, on
// failure, the factory) takes it over. -1 as start or finish means the
// stream's beginning or end.
std::unique_ptr<CDecoder> OpenDecoderFromInfo(CStreamInfo* info, int startBlock, int finishBlock, int* error);
