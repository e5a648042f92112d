// SPDX-License-Identifier: BSD-3-Clause
// Loading a cue sheet file and turning its bytes into wide text.
#include "cue/cue_sheet.h"

#include "io/text_convert.h"

#include <algorithm>
#include <string>
#include <vector>

namespace zem {

namespace {

constexpr uint8_t kUtf8Mark[] = {0xEF, 0xBB, 0xBF};

class ReadOnlyHandle {
public:
    // Read access only, and no sharing while the sheet is read.
    explicit ReadOnlyHandle(const WCHAR* path)
        : m_handle(CreateFileW(path, GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)) {}
    ~ReadOnlyHandle() {
        if (IsOpen())
            CloseHandle(m_handle);
    }
    ReadOnlyHandle(const ReadOnlyHandle&) = delete;
    ReadOnlyHandle& operator=(const ReadOnlyHandle&) = delete;

    bool IsOpen() const { return m_handle != INVALID_HANDLE_VALUE; }
    HANDLE Get() const { return m_handle; }

private:
    HANDLE m_handle;
};

// The whole file, or nothing when it cannot be read completely or is larger
// than any cue sheet (a folder, say, or a dropped audio file).
std::vector<uint8_t> ReadAllBytes(const WCHAR* path) {
    ReadOnlyHandle file(path);
    if (!file.IsOpen())
        return {};
    DWORD high = 0;
    DWORD size = GetFileSize(file.Get(), &high);
    if (size == INVALID_FILE_SIZE || high != 0 || size > static_cast<DWORD>(kMaxCueSheetBytes))
        return {};
    std::vector<uint8_t> bytes(size);
    DWORD done = 0;
    while (done < size) {
        DWORD got = 0;
        if (!ReadFile(file.Get(), bytes.data() + done, size - done, &got, nullptr) || got == 0)
            return {};
        done += got;
    }
    return bytes;
}

WString Decode(UINT codePage, const char* bytes, int count) {
    if (count <= 0)
        return WString();
    int chars = MultiByteToWideChar(codePage, 0, bytes, count, nullptr, 0);
    if (chars <= 0)
        return WString();
    WString text(static_cast<size_t>(chars), WCHAR(0));
    MultiByteToWideChar(codePage, 0, bytes, count, &text[0], chars);
    return text;
}

bool StartsWithUtf8Mark(const std::vector<uint8_t>& bytes) {
    return bytes.size() >= sizeof kUtf8Mark && bytes[0] == kUtf8Mark[0] && bytes[1] == kUtf8Mark[1] &&
           bytes[2] == kUtf8Mark[2];
}

bool HasBytesAbove127(const uint8_t* begin, const uint8_t* end) {
    return std::any_of(begin, end, [](uint8_t byte) { return byte > 127; });
}

}  // namespace

// Text ends at the first zero byte. Rippers that write UTF-8 mostly mark it
// with a byte-order mark; such a sheet is read as UTF-8 without the mark.
// Many save UTF-8 without it, though: a sheet whose bytes above 127 all form
// well-formed UTF-8 is read as UTF-8 too, since text in a single-byte code
// page almost never does (an accented letter would have to be followed by
// just the right symbols). Anything else is text in the thread's ANSI code page.
WString DecodeCueSheetBytes(const std::vector<uint8_t>& bytes) {
    size_t begin = 0;
    UINT codePage = CP_THREAD_ACP;
    if (StartsWithUtf8Mark(bytes)) {
        begin = sizeof kUtf8Mark;
        codePage = CP_UTF8;
    }
    size_t end = begin;
    while (end < bytes.size() && bytes[end] != 0)
        ++end;
    const char* text = reinterpret_cast<const char*>(bytes.data()) + begin;
    if (codePage != CP_UTF8 && HasBytesAbove127(bytes.data() + begin, bytes.data() + end) &&
        IsValidUtf8(std::string(text, end - begin).c_str()))
        codePage = CP_UTF8;
    return Decode(codePage, text, static_cast<int>(end - begin));
}

WString ReadCueSheetText(const WCHAR* path) {
    if (!path || !*path)
        return WString();
    return DecodeCueSheetBytes(ReadAllBytes(path));
}

CueSheet ReadCueSheet(const WCHAR* path) { return ParseCueSheetText(ReadCueSheetText(path)); }

}  // namespace zem
