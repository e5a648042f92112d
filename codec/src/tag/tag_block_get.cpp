// Handing field values out: as raw bytes, as wide text and as narrow text.
#include "tag/tag_block.h"

#include "io/text_convert.h"
#include "tag/tag_footer.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <vector>

namespace {
constexpr int64_t kIntMax = std::numeric_limits<int>::max();

int ClampToInt(int64_t value) { return static_cast<int>(std::min(value, kIntMax)); }
}  // namespace

int CTagBlock::GetFieldBytes(const WCHAR* name, void* buffer, int* bytes) {
    EnsureAnalyzed();
    if (!buffer || !bytes || *bytes <= 0)
        return -1;
    size_t capacity = static_cast<size_t>(*bytes);
    const CTagItem* item = GetField(name);
    if (!item) {
        std::memset(buffer, 0, capacity);
        *bytes = 0;
        return -1;
    }
    *bytes = item->GetValueSize();
    if (static_cast<size_t>(item->GetValueSize()) > capacity) {
        std::memset(buffer, 0, capacity);
        return -1;
    }
    std::memcpy(buffer, item->GetValue(), static_cast<size_t>(item->GetValueSize()));
    return 0;
}

int CTagBlock::GetFieldText(const WCHAR* name, WCHAR* buffer, int* chars) {
    EnsureAnalyzed();
    if (!buffer || !chars || *chars <= 0)
        return -1;
    int capacity = *chars;
    const CTagItem* item = GetField(name);
    if (!item || (!item->IsText() && m_zemTagVersion >= kZemTagVersion)) {
        std::fill(buffer, buffer + capacity, static_cast<WCHAR>(0));
        if (!item) {
            *chars = 0;
            return -1;
        }
        // Raw bytes, one character kept back for the terminator. The count
        // rounds up so that an odd-sized value fits the buffer it asks for.
        int bytes = ClampToInt(static_cast<int64_t>(capacity) * 2 - 2);
        int result = GetFieldBytes(name, buffer, &bytes);
        *chars = ClampToInt((static_cast<int64_t>(bytes) + 1) / 2 + 1);
        return result;
    }
    const char* value = reinterpret_cast<const char*>(item->GetValue());
    WString text = item->IsAnsiText() ? AnsiToWide(value) : Utf8ToWide(value);
    size_t length = std::char_traits<WCHAR>::length(text.c_str());
    *chars = ClampToInt(static_cast<int64_t>(length) + 1);
    if (static_cast<size_t>(capacity) < length + 1)
        return -1;
    std::copy(text.c_str(), text.c_str() + length + 1, buffer);
    return 0;
}

int CTagBlock::GetFieldTextNarrow(const WCHAR* name, char* buffer, int* length, int utf8) {
    EnsureAnalyzed();
    if (!buffer || !length || *length <= 0)
        return -1;
    int capacity = *length;
    // The wide text never has more characters than the value has bytes (plus
    // its terminator), so a larger wide buffer would change nothing.
    const CTagItem* item = GetField(name);
    int wideChars = item ? static_cast<int>(std::min<int64_t>(capacity, item->GetValueSize() + 2LL)) : capacity;
    std::vector<WCHAR> wide(static_cast<size_t>(wideChars) + 1, 0);
    int result = GetFieldText(name, wide.data(), &wideChars);
    std::string text;
    if (result == 0)
        text = utf8 ? WideToUtf8(wide.data()) : WideToAnsi(wide.data());
    if (result != 0 || text.size() > static_cast<size_t>(capacity)) {
        std::memset(buffer, 0, static_cast<size_t>(capacity) + 1);
        *length = 0;
        return -1;
    }
    std::memcpy(buffer, text.c_str(), text.size() + 1);
    *length = static_cast<int>(text.size());
    return 0;
}
