// SPDX-License-Identifier: BSD-3-Clause
#include "cue/embedded_cue_sheet.h"

#include "io/text_convert.h"
#include "tag/tag_block.h"
#include "cue/cue_sheet.h"

#include <algorithm>
#include <cstring>

namespace zem {

const WCHAR kCueSheetField[] = WTXT("Cuesheet");

std::string CueSheetToUtf8(const WString& text) {
    if (text.empty())
        return {};
    const int length = static_cast<int>(text.size());
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<size_t>(std::max(bytes, 0)), '\0');
    if (bytes > 0)
        WideCharToMultiByte(CP_UTF8, 0, text.data(), length, &utf8[0], bytes, nullptr, nullptr);
    return utf8;
}

WString CueSheetFromUtf8(const std::string& utf8) {
    if (utf8.empty())
        return {};
    const int length = static_cast<int>(utf8.size());
    const int chars = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), length, nullptr, 0);
    WString text(static_cast<size_t>(std::max(chars, 0)), WTXT('\0'));
    if (chars > 0)
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), length, &text[0], chars);
    return text;
}

WString ReadEmbeddedCueSheet(const WCHAR* imagePath) {
    CTagBlock tag(imagePath, 1);
    const CTagItem* item = tag.GetField(kCueSheetField);
    if (!item || !item->IsText() || item->GetValueSize() > kMaxCueSheetBytes)
        return {};
    const char* value = reinterpret_cast<const char*>(item->GetValue());
    const std::string text(value, strnlen(value, static_cast<size_t>(item->GetValueSize())));
    return item->IsAnsiText() ? AnsiToWide(text.c_str()) : CueSheetFromUtf8(text);
}

}  // namespace zem
