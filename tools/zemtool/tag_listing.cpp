// SPDX-License-Identifier: BSD-3-Clause
#include "tools/zemtool/tag_listing.h"

#include "io/memory_stream.h"
#include "tag/tag_block.h"
#include "tools/zemtool/printable_text.h"
#include "tag/tag_area.h"
#include "tag/tag_stream_end.h"
#include "tools/zemtool/utf_text.h"

namespace zemtool {
namespace {

const char kHexDigits[] = "0123456789abcdef";

std::string HexBytes(const uint8_t* bytes, int32_t size) {
    std::string hex = "[hex] ";
    if (!bytes)
        return hex;
    for (int32_t i = 0; i < size; ++i) {
        hex += kHexDigits[bytes[i] >> 4];
        hex += kHexDigits[bytes[i] & 0x0F];
    }
    return hex;
}

// Text of an older tag, through the library, which knows how it holds such text.
std::string OlderTagText(CTagBlock& tag, const CTagItem& item) {
    const WCHAR* name = item.GetName().c_str();
    WCHAR probe[1];
    int chars = 1;
    tag.GetFieldText(name, probe, &chars);  // learns the length it needs
    if (chars <= 1)
        return {};
    int length = chars * 3;  // UTF-8 takes at most three bytes per UTF-16 unit
    std::string text(static_cast<size_t>(length) + 1, '\0');
    if (tag.GetFieldTextNarrow(name, &text[0], &length, 1) != 0)
        return {};
    text.resize(static_cast<size_t>(length));
    return text;
}

}  // namespace

bool HasAnsiText(CTagBlock& tag) { return tag.HasZemTag() && tag.GetZemTagVersion() < 2000; }

std::string FormatFieldValue(CTagBlock& tag, const CTagItem& item, bool ansiText) {
    if (!item.IsText())
        return HexBytes(item.GetValue(), item.GetValueSize());
    if (ansiText)
        return PrintableText(OlderTagText(tag, item));
    // UTF-8 as stored: the bytes themselves, so that nothing is lost in a
    // round trip through UTF-16.
    const int32_t size = item.GetValueSize();
    const char* value = reinterpret_cast<const char*>(item.GetValue());
    return PrintableText(size > 0 && value ? std::string(value, static_cast<size_t>(size)) : std::string());
}

void PrintTagFields(CTagBlock& tag, std::ostream& out) {
    const bool ansiText = HasAnsiText(tag);
    const int count = tag.GetFieldCount();
    for (int i = 0; i < count; ++i) {
        const CTagItem* item = tag.GetField(i);
        if (!item)
            continue;
        out << Utf8FromWide(item->GetName()) << "=" << FormatFieldValue(tag, *item, ansiText) << "\n";
    }
}

void ListTags(CStreamIo& file, std::ostream& out) {
    TagArea area;
    if (ReadTagArea(file, StreamAudioEnd(file), &area).empty() && !area.zemTag.empty() && !area.id3v1.empty()) {
        CMemoryStream zemIo(area.zemTag, true);
        CMemoryStream id3v1Io(area.id3v1, true);
        CTagBlock zem(&zemIo, 1);
        CTagBlock id3v1(&id3v1Io, 1);
        PrintTagFields(zem, out);
        out << "[ID3v1]\n";
        PrintTagFields(id3v1, out);
        return;
    }
    CTagBlock tag(&file, 1);
    PrintTagFields(tag, out);
}

}  // namespace zemtool
