// SPDX-License-Identifier: BSD-3-Clause
#include "tools/zemtool/sheet_text.h"

#include <zem/zem.h>

#include <algorithm>
#include <cstring>
#include <memory>

namespace zemtool {
namespace {

// No sheet is larger; a larger field is no sheet.
constexpr size_t kMaxSheetBytes = 1024 * 1024;

struct SheetTagCloser {
    void operator()(zem_tag* tag) const { zem_tag_close(tag); }
};

}  // namespace

std::string SheetFileText(const std::string& path) {
    const long length = zem_cue_read_text(path.c_str(), nullptr, 0);
    if (length <= 0)
        return {};
    std::string text(static_cast<size_t>(length) + 1, '\0');
    const long got = zem_cue_read_text(path.c_str(), &text[0], text.size());
    text.resize(static_cast<size_t>(std::clamp(got, 0L, length)));
    return text;
}

std::string SheetInTag(const std::string& image) {
    int error = 0;
    const std::unique_ptr<zem_tag, SheetTagCloser> tag(zem_tag_open(image.c_str(), &error));
    const char* text = tag ? zem_tag_get(tag.get(), "Cuesheet") : nullptr;
    return text && std::strlen(text) <= kMaxSheetBytes ? text : "";
}

}  // namespace zemtool
