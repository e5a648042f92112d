// SPDX-License-Identifier: BSD-3-Clause
#include "tools/zemtool/tag_listing.h"

#include "tools/zemtool/printable_text.h"

#include <memory>
#include <vector>

namespace zemtool {
namespace {

const char kHexDigits[] = "0123456789abcdef";

std::string HexBytes(const std::vector<uint8_t>& bytes) {
    std::string hex = "[hex] ";
    for (uint8_t byte : bytes) {
        hex += kHexDigits[byte >> 4];
        hex += kHexDigits[byte & 0x0F];
    }
    return hex;
}

struct TagCloser {
    void operator()(zem_tag* tag) const { zem_tag_close(tag); }
};
using TagHandle = std::unique_ptr<zem_tag, TagCloser>;

}  // namespace

std::string FormatFieldValue(const zem_tag* tag, const char* name) {
    const long size = zem_tag_get_binary(tag, name, nullptr, 0);
    std::vector<uint8_t> bytes(size > 0 ? static_cast<size_t>(size) : 0);
    if (size > 0 && zem_tag_get_binary(tag, name, bytes.data(), bytes.size()) != size)
        bytes.clear();
    // The library hands out text only for text items; the others are bytes.
    if (!zem_tag_get(tag, name))
        return HexBytes(bytes);
    // UTF-8 as stored (an older tag's text converted by the library): the
    // bytes themselves, so that nothing is lost in a round trip.
    return PrintableText(std::string(bytes.begin(), bytes.end()));
}

void PrintTagFields(const zem_tag* tag, std::ostream& out) {
    const int count = zem_tag_count(tag);
    for (int i = 0; i < count; ++i) {
        const char* name = zem_tag_name(tag, i);
        if (!name)
            continue;
        const std::string kept(name);  // a name lives only until the next change of the tag
        out << kept << "=" << FormatFieldValue(tag, kept.c_str()) << "\n";
    }
}

int ListTags(const std::string& path, std::ostream& out) {
    int error = ZEM_OK;
    const TagHandle tag(zem_tag_open(path.c_str(), &error));
    if (!tag)
        return error;
    if (zem_tag_found(tag.get()) != (ZEM_TAG_HAS_ZEM | ZEM_TAG_HAS_ID3V1)) {
        PrintTagFields(tag.get(), out);
        return ZEM_OK;
    }
    const TagHandle record(zem_tag_open_ex(path.c_str(), ZEM_TAG_OPEN_ID3V1, &error));
    if (!record)
        return error;
    PrintTagFields(tag.get(), out);
    out << "[ID3v1]\n";
    PrintTagFields(record.get(), out);
    return ZEM_OK;
}

}  // namespace zemtool
