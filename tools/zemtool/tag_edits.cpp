// SPDX-License-Identifier: BSD-3-Clause
#include "tools/zemtool/tag_edits.h"

#include "tools/zemtool/tool_errors.h"
#include "tools/zemtool/tool_failure.h"

#include <cstring>

namespace zemtool {
namespace {

// A field the library refuses (read-only, or one too many) it names itself.
int SetFailed(const zem_tag* tag, int error, const TagEdit& edit, std::string& reason) {
    const std::string detail = TagErrorDetail(tag);
    reason = error == ZEM_ERROR_FAILED && !detail.empty() ? detail
                                                          : "cannot set the field " + Quoted(edit.name) +
                                                                (detail.empty() ? "" : ": " + detail);
    return CODEC_FAILED;
}

int ApplyTagEdit(zem_tag* tag, const TagEdit& edit, std::string& reason) {
    switch (edit.kind) {
    case TagEdit::Set:
        // An empty value deletes, a read-only field too; deleting a field
        // that is not there is no failure.
        if (edit.value.empty()) {
            zem_tag_remove(tag, edit.name.c_str());
            return CODEC_OK;
        }
        if (int error = zem_tag_set(tag, edit.name.c_str(), edit.value.c_str()))
            return SetFailed(tag, error, edit, reason);
        return CODEC_OK;
    case TagEdit::SetBinary:
        if (int error = zem_tag_set_binary(tag, edit.name.c_str(), edit.bytes.data(), edit.bytes.size()))
            return SetFailed(tag, error, edit, reason);
        return CODEC_OK;
    case TagEdit::Delete:
        if (zem_tag_remove(tag, edit.name.c_str()) == ZEM_OK)
            return CODEC_OK;
        reason = "there is no field " + Quoted(edit.name);
        return CODEC_FAILED;
    case TagEdit::DeleteAll: zem_tag_clear(tag); return CODEC_OK;
    }
    return CODEC_OK;
}

}  // namespace

std::string TagErrorDetail(const zem_tag* tag) {
    const long length = zem_tag_get_error_detail(tag, nullptr, 0);
    if (length <= 0)
        return {};
    std::string text(static_cast<size_t>(length) + 1, '\0');
    zem_tag_get_error_detail(tag, &text[0], text.size());
    text.resize(std::strlen(text.c_str()));
    return text;
}

int ApplyTagEdits(zem_tag* tag, const std::vector<TagEdit>& edits, std::string& reason) {
    for (const TagEdit& edit : edits) {
        if (int error = ApplyTagEdit(tag, edit, reason))
            return error;
    }
    return CODEC_OK;
}

}  // namespace zemtool
