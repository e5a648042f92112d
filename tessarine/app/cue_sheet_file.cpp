// Loading a cue sheet file and turning its bytes into wide text.
#include "tessarine/app/cue_sheet.h"

#include <vector>

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

}  // namespace

// Text ends at the first zero byte. Rippers that write UTF-8 mark it with a
// byte-order mark; such a sheet is read as UTF-8 without the mark, so that
// its titles reach file names and tags as written. Anything else is text in
// the thread's ANSI code page.
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
    return Decode(codePage, reinterpret_cast<const char*>(bytes.data()) + begin, static_cast<int>(end - begin));
}

WString ReadCueSheetText(const WCHAR* path) {
    if (!path || !*path)
        return WString();
    return DecodeCueSheetBytes(ReadAllBytes(path));
}

CueSheet ReadCueSheet(const WCHAR* path) { return ParseCueSheetText(ReadCueSheetText(path)); }
