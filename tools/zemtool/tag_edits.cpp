// SPDX-License-Identifier: BSD-3-Clause
#include "tools/zemtool/tag_edits.h"

#include "container/codec_error.h"
#include "tag/tag_block.h"
#include "tools/zemtool/tool_failure.h"
#include "tools/zemtool/utf_text.h"

namespace zemtool {
namespace {

std::string WhySetFailed(CTagBlock& tag, const WString& name, const std::string& utf8Name) {
    const CTagItem* existing = tag.GetField(name.c_str());
    if (existing && existing->IsReadOnly())
        return "the field " + Quoted(utf8Name) + " is read-only";
    if (!existing && tag.GetFieldCount() >= CTagBlock::kMaxFields)
        return "the tag already holds " + std::to_string(CTagBlock::kMaxFields) + " fields";
    return "cannot set the field " + Quoted(utf8Name);
}

int SetField(CTagBlock& tag, const TagEdit& edit, std::string& reason) {
    const WString name = WideFromUtf8(edit.name);
    // An empty value deletes; deleting a field that is not there is no failure.
    if (edit.value.empty() && tag.FindField(name.c_str()) < 0)
        return CODEC_OK;
    if (tag.SetFieldTextNarrow(name.c_str(), edit.value.c_str(), 1) == 0)
        return CODEC_OK;
    reason = WhySetFailed(tag, name, edit.name);
    return CODEC_FAILED;
}

// Binary items are flagged so; readers hand them out as bytes, not text.
constexpr uint32_t kBinaryItemFlags = 0x2;

int SetBinaryField(CTagBlock& tag, const TagEdit& edit, std::string& reason) {
    const WString name = WideFromUtf8(edit.name);
    if (tag.SetFieldBytes(name.c_str(), edit.bytes.data(), static_cast<int>(edit.bytes.size()), kBinaryItemFlags) == 0)
        return CODEC_OK;
    reason = WhySetFailed(tag, name, edit.name);
    return CODEC_FAILED;
}

int DeleteField(CTagBlock& tag, CTagBlock* id3v1, const TagEdit& edit, std::string& reason) {
    const WString name = WideFromUtf8(edit.name);
    const bool deleted = tag.DeleteField(name.c_str()) == 0;
    if ((id3v1 && id3v1->DeleteField(name.c_str()) == 0) || deleted)
        return CODEC_OK;
    reason = "there is no field " + Quoted(edit.name);
    return CODEC_FAILED;
}

}  // namespace

int ApplyTagEdit(CTagBlock& tag, const TagEdit& edit, std::string& reason) {
    switch (edit.kind) {
    case TagEdit::Set: return SetField(tag, edit, reason);
    case TagEdit::Delete: return DeleteField(tag, nullptr, edit, reason);
    case TagEdit::DeleteAll: tag.ClearFields(); return CODEC_OK;
    case TagEdit::SetBinary: return SetBinaryField(tag, edit, reason);
    }
    return CODEC_OK;
}

int ApplyTagEdits(CTagBlock& tag, CTagBlock* id3v1, const std::vector<TagEdit>& edits, std::string& reason) {
    for (const TagEdit& edit : edits) {
        if (edit.kind == TagEdit::Delete) {
            if (int error = DeleteField(tag, id3v1, edit, reason))
                return error;
            continue;
        }
        if (int error = ApplyTagEdit(tag, edit, reason))
            return error;
        // An ID3v1 record has no room for binary items; the ZEM tag in front holds them.
        if (int error = id3v1 && edit.kind != TagEdit::SetBinary ? ApplyTagEdit(*id3v1, edit, reason) : CODEC_OK)
            return error;
    }
    return CODEC_OK;
}

}  // namespace zemtool
