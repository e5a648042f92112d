// SPDX-License-Identifier: BSD-3-Clause
#include "link/link_file.h"

#include "container/format_magic.h"
#include "io/decimal_text.h"
#include "io/path_text.h"
#include "io/text_convert.h"
#include "io/win32_file.h"
#include "link/remote_path.h"
#include "platform/paths.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace zem {

namespace {

const char kImageKey[] = "Image File=";
const char kStartKey[] = "Start Block=";
const char kFinishKey[] = "Finish Block=";

// The image path's bytes end at the line end (a lone LF counts) or the text end.
std::string ImagePathBytes(const char* value) {
    size_t length = std::strcspn(value, "\r\n");
    return std::string(value, length);
}

// The link build job writes its header in the ANSI code page, yet older links
// were read as UTF-8. Bytes that form valid UTF-8 keep reading as UTF-8 (ASCII
// is both); anything else can only have come from the ANSI writer.
WString DecodeImagePath(const std::string& bytes) {
    if (IsValidUtf8(bytes.c_str()))
        return Utf8ToWide(bytes.c_str());
    return AnsiToWide(bytes.c_str());
}

// The link's folder including its last separator; empty without one.
WString FolderOf(const WCHAR* linkPath) {
    if (!linkPath)
        return WString();
    WString path(linkPath);
    size_t end = path.size();
    while (end > 0 && !IsPathSeparator(path[end - 1]))
        --end;
    return path.substr(0, end);
}

bool IsAsciiLetter(WCHAR c) { return (c >= WTXT('A') && c <= WTXT('Z')) || (c >= WTXT('a') && c <= WTXT('z')); }

// From a root or a drive: \x, /x, \\server\x, C:\x, C:x.
bool IsAnchored(const WString& path) {
    if (!path.empty() && IsPathSeparator(path[0]))
        return true;
    return path.size() >= 2 && IsAsciiLetter(path[0]) && path[1] == WTXT(':');
}

}  // namespace

WString ResolveLinkImagePath(const WString& imagePath, const WCHAR* linkPath) {
    if (IsAnchored(imagePath))
        return imagePath;
    return FolderOf(linkPath) + imagePath;
}

bool HasLinkHeader(const char* text, bool anywhere) {
    if (!text)
        return false;
    if (anywhere)
        return std::strstr(text, kLinkHeaderLine) != nullptr;
    if (std::strncmp(text, "\xEF\xBB\xBF", 3) == 0)
        text += 3;
    return std::strncmp(text, kLinkHeaderLine, sizeof(kLinkHeaderLine) - 1) == 0;
}

CLinkFile::CLinkFile() { Clear(); }

void CLinkFile::Clear() {
    m_valid = 0;
    m_remoteImage = false;
    m_startBlock = 0;
    m_finishBlock = 0;
    std::fill(std::begin(m_imagePath), std::end(m_imagePath), WCHAR(0));
}

void CLinkFile::ReadLinkFile(const WCHAR* linkPath) {
    Clear();
    if (!linkPath)
        return;
    CWin32File file;
    if (file.OpenForReading(linkPath) != 0)
        return;
    char text[kMaxTextBytes + 1] = {};
    int32_t bytesRead = 0;
    file.Read(text, kMaxTextBytes, &bytesRead);
    bytesRead = std::clamp(bytesRead, int32_t(0), int32_t(kMaxTextBytes));
    text[bytesRead] = '\0';
    ParseLinkText(text, linkPath);
    file.Close();
}

void CLinkFile::ParseLinkText(const char* text, const WCHAR* linkPath) {
    Clear();
    if (!text)
        return;
    const char* header = std::strstr(text, kLinkHeaderLine);
    const char* image = std::strstr(text, kImageKey);
    const char* start = std::strstr(text, kStartKey);
    const char* finish = std::strstr(text, kFinishKey);
    if (!header || !image || !start || !finish)
        return;

    const std::string bytes = ImagePathBytes(image + sizeof(kImageKey) - 1);
    WString written = DecodeImagePath(bytes);
    WString path = ResolveLinkImagePath(written, linkPath);
#ifndef _WIN32
    // A file name there is bytes: an image whose name is not UTF-8 (an old
    // collection's Latin-1 names) is found by those bytes when it is there.
    if (!IsValidUtf8(bytes.c_str())) {
        WString raw;
        WidePathFromUtf8(bytes.c_str(), &raw);
        CWin32File file;
        if (file.OpenForReading(ResolveLinkImagePath(raw, linkPath).c_str()) == 0) {
            written = raw;
            path = ResolveLinkImagePath(raw, linkPath);
        }
    }
#endif
    // The field holds kMaxPathChars characters with the terminator; a longer path
    // cannot name the image, so the link is refused rather than cut short.
    if (path.size() >= kMaxPathChars)
        return;

    std::copy(path.begin(), path.end(), m_imagePath);
    m_imagePath[path.size()] = 0;
    m_startBlock = ParseDecimalNumber(start + sizeof(kStartKey) - 1);
    m_finishBlock = ParseDecimalNumber(finish + sizeof(kFinishKey) - 1);
    m_remoteImage = IsRemoteOrDevicePath(written);
    m_valid = 1;
}

}  // namespace zem
