#include "tools/zemtool/tag_listing.h"

#include "tessarine/codec/tag_block.h"
#include "tessarine/codec/text_convert.h"
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

std::string EscapeControls(const std::string& text) {
    std::string out;
    for (char c : text) {
        const unsigned char byte = static_cast<unsigned char>(c);
        if (c == '\n')
            out += "\\n";
        else if (c == '\r')
            out += "\\r";
        else if (c == '\t')
            out += "\\t";
        else if (byte < 0x20 || byte == 0x7F)
            out += std::string("\\x") + kHexDigits[byte >> 4] + kHexDigits[byte & 0x0F];
        else
            out += c;
    }
    return out;
}

// The ANSI converter stops at a NUL, so a value with NUL bytes inside is
// converted piece by piece and the NULs are kept.
std::string AnsiBytesToUtf8(const std::string& bytes) {
    std::string out;
    size_t start = 0;
    while (true) {
        const size_t nul = bytes.find('\0', start);
        const std::string piece = bytes.substr(start, nul == std::string::npos ? std::string::npos : nul - start);
        out += AnsiToUtf8(piece.c_str());
        if (nul == std::string::npos)
            return out;
        out += '\0';
        start = nul + 1;
    }
}

}  // namespace

bool HasAnsiText(CTagBlock& tag) { return tag.HasZemTag() && tag.GetZemTagVersion() < 2000; }

std::string FieldTextUtf8(const CTagItem& item, bool ansiText) {
    const int32_t size = item.GetValueSize();
    std::string bytes;
    if (size > 0 && item.GetValue())
        bytes.assign(reinterpret_cast<const char*>(item.GetValue()), static_cast<size_t>(size));
    return ansiText ? AnsiBytesToUtf8(bytes) : bytes;
}

std::string FormatFieldValue(const CTagItem& item, bool ansiText) {
    if (!item.IsText())
        return HexBytes(item.GetValue(), item.GetValueSize());
    return EscapeControls(FieldTextUtf8(item, ansiText));
}

void PrintTagFields(CTagBlock& tag, std::ostream& out) {
    const bool ansiText = HasAnsiText(tag);
    const int count = tag.GetFieldCount();
    for (int i = 0; i < count; ++i) {
        const CTagItem* item = tag.GetField(i);
        if (!item)
            continue;
        out << Utf8FromWide(item->GetName()) << "=" << FormatFieldValue(*item, ansiText) << "\n";
    }
}

}  // namespace zemtool
