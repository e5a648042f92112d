// SPDX-License-Identifier: BSD-3-Clause
#include "decode/decoder_factory.h"

#include "container/codec_error.h"
#include "container/info_id.h"
#include "container/stream_info.h"
#include "decode/current/frame_decoder.h"
#include "decode/older/older_decoder.h"
#include "io/win32_file.h"
#include "link/link_file.h"
#include "tag/tag_block.h"

#include <algorithm>

namespace zem {

namespace {

struct OpenedStream {
    std::unique_ptr<CStreamInfo> info;
    int startBlock = -1;
    int finishBlock = -1;
};

WCHAR LowerAscii(WCHAR c) { return c >= WTXT('A') && c <= WTXT('Z') ? WCHAR(c - WTXT('A') + WTXT('a')) : c; }

// Only the last extension counts.
bool HasLinkExtension(const WString& path) {
    size_t dot = path.rfind(WTXT('.'));
    if (dot == WString::npos)
        return false;
    WString extension = path.substr(dot);
    std::transform(extension.begin(), extension.end(), extension.begin(), LowerAscii);
    return extension == WTXT(".zlk");
}

// The image a link file names, limited to the track and carrying the link
// file's own tag (the track's fields), not the image's.
OpenedStream OpenLinkedImage(const WCHAR* linkPath, const OpenOptions& options, OpenFindings& findings,
                             int* error) {
    OpenedStream opened;
    CLinkFile link;
    link.ReadLinkFile(linkPath);
    if (!link.IsValid()) {
        *error = CODEC_BAD_INPUT;
        return opened;
    }
    findings.imagePath = link.GetImagePath();
    if (link.NamesRemotePath() && !options.allowRemotePaths) {
        *error = CODEC_PATH_REFUSED;
        return opened;
    }
    {
        CWin32File image;
        findings.imageOpens = image.OpenForReading(link.GetImagePath()) == 0;
    }
    auto tag = std::make_unique<CTagBlock>(linkPath, 1);
    // The stream information takes the tag over; releasing inside the
    // new-expression keeps it ours should the allocation itself fail.
    opened.info.reset(new CStreamInfo(link.GetImagePath(), error, tag.release()));
    opened.startBlock = link.GetStartBlock();
    opened.finishBlock = link.GetFinishBlock();
    return opened;
}

OpenedStream OpenByPath(const WCHAR* path, const OpenOptions& options, OpenFindings& findings, int* error) {
    if (IsLinkFile(path)) {
        findings.link = true;
        return OpenLinkedImage(path, options, findings, error);
    }
    OpenedStream opened;
    opened.info = std::make_unique<CStreamInfo>(path, error);
    return opened;
}

// Chooses the decoder class by version and hands the stream information over.
std::unique_ptr<CDecoder> BuildDecoder(OpenedStream opened, int* error) {
    if (!opened.info || *error != CODEC_OK)
        return nullptr;
    if (!opened.info->IsValid()) {
        *error = CODEC_BAD_INPUT;
        return nullptr;
    }
    bool older = opened.info->GetInfo(Version) < CFrameDecoder::kFirstVersion;
    // A new-expression allocates before it evaluates its arguments, so the
    // holder above keeps (and on failure deletes) the stream information until
    // the decoder's memory exists; the decoder owns it from its first line.
    std::unique_ptr<CDecoder> decoder;
    if (older)
        decoder.reset(new COlderDecoder(error, opened.info.release(), opened.startBlock, opened.finishBlock));
    else
        decoder.reset(new CFrameDecoder(error, opened.info.release(), opened.startBlock, opened.finishBlock));
    if (*error != CODEC_OK)
        return nullptr;  // a refused version: the decoder goes, and its stream with it
    return decoder;
}

// Runs one factory function with a valid error slot; whatever throws while
// objects are built leaves nothing behind and reports CODEC_FAILED.
template <class Open>
std::unique_ptr<CDecoder> Guarded(int* error, Open open) {
    int localError = CODEC_OK;
    int* slot = error ? error : &localError;
    *slot = CODEC_OK;
    try {
        return BuildDecoder(open(slot), slot);
    } catch (...) {
        *slot = CODEC_FAILED;
        return nullptr;
    }
}

}  // namespace

bool IsLinkFile(const WCHAR* path) {
    if (!path || !*path)
        return false;
    CWin32File file;
    if (file.OpenForReading(path) != 0)
        return HasLinkExtension(path);
    char text[CLinkFile::kMaxTextBytes + 1] = {};
    int32_t bytesRead = 0;
    file.Read(text, CLinkFile::kMaxTextBytes, &bytesRead);
    text[std::clamp(bytesRead, int32_t(0), int32_t(CLinkFile::kMaxTextBytes))] = '\0';
    return HasLinkHeader(text, HasLinkExtension(path));
}

std::unique_ptr<CDecoder> OpenDecoder(const WCHAR* path, int* error, const OpenOptions& options,
                                      OpenFindings* findings) {
    OpenFindings localFindings;
    OpenFindings& found = findings ? *findings : localFindings;
    found = OpenFindings();
    return Guarded(error, [path, &options, &found](int* slot) {
        if (!path || !*path) {
            *slot = CODEC_BAD_ARGUMENT;
            return OpenedStream();
        }
        return OpenByPath(path, options, found, slot);
    });
}

std::unique_ptr<CDecoder> OpenDecoderFromIo(CStreamIo* io, int* error) {
    return Guarded(error, [io](int* slot) {
        OpenedStream opened;
        if (!io)
            *slot = CODEC_BAD_ARGUMENT;
        else
            opened.info = std::make_unique<CStreamInfo>(io, slot);
        return opened;
    });
}

std::unique_ptr<CDecoder> OpenDecoderFromInfo(CStreamInfo* info, int startBlock, int finishBlock, int* error) {
    // Taken over at once, so that every way out below releases it.
    std::unique_ptr<CStreamInfo> owned(info);
    return Guarded(error, [&owned, startBlock, finishBlock](int* slot) {
        OpenedStream opened;
        if (!owned)
            *slot = CODEC_BAD_ARGUMENT;
        opened.info = std::move(owned);
        opened.startBlock = startBlock;
        opened.finishBlock = finishBlock;
        return opened;
    });
}

}  // namespace zem
