// SPDX-License-Identifier: BSD-3-Clause
// The bytes of one ZLK file: header lines, marker line, the track's tag.
#include "cue/link_builder.h"

#include "container/format_magic.h"
#include "io/memory_stream.h"
#include "io/text_convert.h"
#include "io/win32_file.h"
#include "tag/tag_block.h"

#include <string>

namespace zem {

namespace {

const char kMarker[] = "\r\n----- ZEM TAG (DO NOT TOUCH!!!) -----\r\n";
static_assert(sizeof kMarker - 1 == 41, "the marker line is 41 bytes");

WString BlockText(int32_t block) {
    std::string digits = std::to_string(block);
    return WString(digits.begin(), digits.end());
}

// The tag is built apart from the link file and appended whole. Saving it on
// the file itself would first strip what looks like a tag at the file's end,
// and a header whose text happens to hold "TAG" 128 bytes before the end of
// the marker line reads as an ID3v1 record: its 128 bytes would be cut off.
// The file was created empty a moment ago, so there is no tag to strip.
std::vector<uint8_t> BuildTrackTag(const CueSheet& sheet, const CueTrack& track) {
    CMemoryStream tagOnly;
    {
        CTagBlock tag(&tagOnly, 0);
        tag.SetFieldText(WTXT("Artist"), track.performer.c_str());
        tag.SetFieldText(WTXT("Album"), sheet.title.c_str());
        tag.SetFieldText(WTXT("Title"), track.title.c_str());
        tag.SetFieldText(WTXT("Track"), track.numberText.c_str());
        tag.Save(0);
    }
    return tagOnly.Bytes();
}

void WriteBytes(CWin32File* file, const void* bytes, size_t count) {
    if (count == 0)
        return;
    int32_t written = 0;
    file->Write(bytes, static_cast<int32_t>(count), &written);  // results ignored, as ever
}

}  // namespace

WString FormatLinkHeader(const WString& imageFile, int32_t startBlock, const std::optional<int32_t>& finishBlock) {
    WString header = Utf8ToWide(kLinkHeaderLine) + WTXT("\r\nImage File=");
    header += imageFile;
    header += WTXT("\r\nStart Block=");
    header += BlockText(startBlock);
    header += WTXT("\r\nFinish Block=");
    header += finishBlock ? BlockText(*finishBlock) : WString(WTXT("-1"));
    header += WTXT("\r\n");
    return header;
}

bool WriteLinkFile(const WCHAR* linkPath, const WString& header, const CueSheet& sheet, const CueTrack& track) {
    DeleteFileW(linkPath);
    CWin32File file;
    if (file.Create(linkPath) != 0)
        return false;
    file.Seek(0, 2);
    std::string ansi = WideToAnsi(header.c_str());
    WriteBytes(&file, ansi.data(), ansi.size());
    WriteBytes(&file, kMarker, sizeof kMarker - 1);
    std::vector<uint8_t> tag = BuildTrackTag(sheet, track);
    WriteBytes(&file, tag.data(), tag.size());
    return true;
}

}  // namespace zem
