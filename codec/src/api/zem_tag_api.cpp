// SPDX-License-Identifier: BSD-3-Clause
// Tags read and written through the C API. The items are kept in memory as
// UTF-8 (older tags' ANSI text converted once) together with the edits made
// to them; saving applies the edits to the tags the file holds then, the way
// `zemtool tag` does, so an ID3v1 record is kept and damaged tags refused.
#include "api/decoder_handle.h"

#include "container/codec_error.h"
#include "io/memory_stream.h"
#include "io/text_convert.h"
#include "io/win32_file.h"
#include "tag/tag_area.h"
#include "tag/tag_area_rewrite.h"
#include "tag/tag_block.h"
#include "tag/tag_changes.h"
#include "tag/tag_stream_end.h"
#include "cue/embedded_cue_sheet.h"

#include <algorithm>
#include <climits>
#include <deque>
#include <cstring>
#include <string>
#include <vector>

using namespace zem;

namespace {

struct TagEntry {
    std::string name;
    std::vector<uint8_t> value;
    bool text = true;
    bool readOnly = false;
};

bool SameName(const std::string& a, const std::string& b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i]))
            return false;
    }
    return true;
}

// As the tag format stores names: printable ASCII; '=' is left out so that
// NAME=VALUE listings stay readable.
bool IsStorableName(const char* name) {
    if (!name || !*name)
        return false;
    for (const char* c = name; *c; ++c) {
        if (*c < 0x20 || *c > 0x7E || *c == '=')
            return false;
    }
    return true;
}

std::string Quoted(const std::string& name) { return "'" + name + "'"; }

// A file and the tags at its end as a rewrite reads them; `found` holds
// ZEM_TAG_HAS_* bits, or 0 when they cannot be rewritten safely.
struct TagSource {
    CWin32File file;
    TagArea area;
    unsigned found = 0;
};

void ReadSource(const WString& path, TagSource* source) {
    source->file.OpenForReading(path.c_str());
    if (!ReadTagArea(source->file, StreamAudioEnd(source->file), &source->area).empty())
        return;
    source->found =
        (source->area.zemTag.empty() ? 0u : ZEM_TAG_HAS_ZEM) | (source->area.id3v1.empty() ? 0u : ZEM_TAG_HAS_ID3V1);
}

std::vector<TagEntry> EntriesOf(CTagBlock& tag) {
    std::vector<TagEntry> entries;
    for (int index = 0; index < tag.GetFieldCount(); ++index) {
        const CTagItem* item = tag.GetField(index);
        TagEntry entry;
        entry.name = CueSheetToUtf8(item->GetName());
        entry.readOnly = item->IsReadOnly();
        entry.text = item->IsText();
        const auto* value = item->GetValue();
        const size_t size = static_cast<size_t>(item->GetValueSize());
        // An older tag's binary items keep their bytes: only text is ANSI.
        if (item->IsAnsiText() && entry.text) {
            const char* text = reinterpret_cast<const char*>(value);
            const std::string ansi(text, strnlen(text, size));
            const std::string utf8 = AnsiToUtf8(ansi.c_str());
            entry.value.assign(utf8.begin(), utf8.end());
        } else {
            entry.value.assign(value, value + size);
        }
        entries.push_back(std::move(entry));
    }
    return entries;
}

// What a zem_tag shows of a file, and the names of the other tag a save
// edits alongside (the record behind a ZEM tag, or the ZEM tag in front of
// the record shown), so that removing a field only the other holds works.
struct TagView {
    unsigned found = 0;
    std::vector<TagEntry> entries;
    std::vector<std::string> otherNames;
};

// A file ending in a ZEM tag and an ID3v1 record behind it shows its ZEM
// tag, as `zemtool tag` lists it; the library's reader would stop at the
// record. With ZEM_TAG_OPEN_ID3V1 it shows the record's fields instead.
TagView ReadView(const WString& path, unsigned flags) {
    TagView view;
    TagSource source;
    ReadSource(path, &source);
    view.found = source.found;
    const bool both = source.found == (ZEM_TAG_HAS_ZEM | ZEM_TAG_HAS_ID3V1);
    const bool record = (flags & ZEM_TAG_OPEN_ID3V1) != 0;
    if (record && !(source.found & ZEM_TAG_HAS_ID3V1))
        return view;
    CMemoryStream shownIo(record ? source.area.id3v1 : source.area.zemTag, true);
    CTagBlock shown(both || record ? static_cast<CStreamIo*>(&shownIo) : &source.file, 1);
    view.entries = EntriesOf(shown);
    if (both) {
        CMemoryStream otherIo(record ? source.area.zemTag : source.area.id3v1, true);
        CTagBlock other(&otherIo, 1);
        for (TagEntry& entry : EntriesOf(other))
            view.otherNames.push_back(std::move(entry.name));
    }
    return view;
}

}  // namespace

struct zem_tag {
    WString path;
    unsigned flags = 0;
    TagView view;
    std::vector<TagChange> changes;
    std::string detail;  // of the last failure
    // Texts handed out, kept until the tag changes.
    mutable std::deque<std::string> texts;  // a deque: handed-out pointers survive new texts

    int Fail(int error, std::string why) {
        detail = std::move(why);
        return error;
    }

    TagEntry* Find(const std::string& name) {
        for (TagEntry& entry : view.entries) {
            if (SameName(entry.name, name))
                return &entry;
        }
        return nullptr;
    }
    const TagEntry* Find(const std::string& name) const { return const_cast<zem_tag*>(this)->Find(name); }

    std::vector<std::string>::iterator FindOther(const std::string& name) {
        return std::find_if(view.otherNames.begin(), view.otherNames.end(),
                            [&name](const std::string& other) { return SameName(other, name); });
    }

    // A save sets a field in the other tag too, but a binary one in a record.
    void NoteOther(const std::string& name, bool set, bool text) {
        const auto other = FindOther(name);
        const bool otherIsRecord = (flags & ZEM_TAG_OPEN_ID3V1) == 0;
        const bool both = view.found == (ZEM_TAG_HAS_ZEM | ZEM_TAG_HAS_ID3V1);
        if (!set && other != view.otherNames.end())
            view.otherNames.erase(other);
        else if (set && both && other == view.otherNames.end() && (text || !otherIsRecord))
            view.otherNames.push_back(name);
    }

    int Change(const char* name, const void* data, size_t size, bool text) {
        if (!IsStorableName(name))
            return Fail(ZEM_ERROR_INVALID_ARGUMENT, "a field name is printable ASCII without '='");
        if ((size > 0 && !data) || size > static_cast<size_t>(INT_MAX / 2))
            return Fail(ZEM_ERROR_INVALID_ARGUMENT, "a value of " + std::to_string(size) + " bytes cannot be set");
        texts.clear();
        TagChange change{TagChange::Set, name,
                         std::vector<uint8_t>(static_cast<const uint8_t*>(data), static_cast<const uint8_t*>(data) + size),
                         text};
        TagEntry* existing = Find(name);
        if (existing && existing->readOnly)
            return Fail(ZEM_ERROR_FAILED, "the field " + Quoted(name) + " is read-only");
        if (change.value.empty()) {
            if (existing)
                view.entries.erase(view.entries.begin() + (existing - view.entries.data()));
        } else if (existing) {
            existing->value = change.value;
            existing->text = text;
        } else {
            if (view.entries.size() >= static_cast<size_t>(CTagBlock::kMaxFields))
                return Fail(ZEM_ERROR_FAILED, "the tag already holds " + std::to_string(CTagBlock::kMaxFields) + " fields");
            view.entries.push_back({name, change.value, text, false});
        }
        NoteOther(name, !change.value.empty(), text);
        changes.push_back(std::move(change));
        return ZEM_OK;
    }

    int Remove(const char* name) {
        if (!name)
            return Fail(ZEM_ERROR_INVALID_ARGUMENT, "no field name given");
        TagEntry* existing = Find(name);
        if (!existing && FindOther(name) == view.otherNames.end())
            return Fail(ZEM_ERROR_INVALID_ARGUMENT, "there is no field " + Quoted(name));
        texts.clear();
        if (existing)
            view.entries.erase(view.entries.begin() + (existing - view.entries.data()));
        NoteOther(name, false, true);
        changes.push_back({TagChange::Remove, name, {}, true});
        return ZEM_OK;
    }

    void Clear() {
        texts.clear();
        view.entries.clear();
        view.otherNames.clear();
        changes.push_back({TagChange::Clear, {}, {}, true});
    }

    // Saves, or with `write` false only finds what a save would answer.
    int Save(unsigned saveFlags, bool write) {
        CWin32File file;
        if (file.Open(path.c_str()) != 0 || file.IsReadOnly())
            return Fail(ZEM_ERROR_CANNOT_OPEN, "the file is missing, read-only or in use");
        TagArea area;
        const std::string problem = ReadTagArea(file, StreamAudioEnd(file), &area);
        if (!problem.empty())
            return Fail(ZEM_ERROR_BAD_INPUT, problem);
        std::vector<uint8_t> bytes;
        std::string reason;
        const auto edit = [this](CTagBlock& tag, CTagBlock* id3v1, std::string& why) {
            const int error = ApplyTagChanges(tag, id3v1, changes);
            if (error)
                why = "the file's tag no longer takes the changes (it was changed since it was read)";
            return error;
        };
        // A lone record is kept behind a new ZEM tag only when no flag asks
        // for one kind of tag alone.
        const bool useId3v1 = (saveFlags & ZEM_TAG_SAVE_ID3V1) != 0;
        if (RewriteTagAreaWith(area, useId3v1, saveFlags == 0, edit, &bytes, reason) != CODEC_OK)
            return Fail(ZEM_ERROR_FAILED, reason);
        if (!write)
            return ZEM_OK;
        const std::vector<uint8_t> old = area.Bytes();
        if (bytes != old) {
            switch (ReplaceTagArea(file, area.start, old, bytes)) {
            case ReplaceResult::Done: break;
            case ReplaceResult::Restored:
                return Fail(ZEM_ERROR_WRITE_FAILED, "writing the file failed; its old tag is back in place");
            case ReplaceResult::Lost:
                return Fail(ZEM_ERROR_FAILED, "the " + std::to_string(old.size()) + " bytes from byte " +
                                                  std::to_string(area.start) + " on are damaged");
            }
        }
        file.Close();
        texts.clear();
        changes.clear();
        view = ReadView(path, flags);
        return ZEM_OK;
    }

    const char* Keep(std::string text) const {
        texts.push_back(std::move(text));
        return texts.back().c_str();
    }
};

extern "C" zem_tag* zem_tag_open(const char* path_utf8, int* error) { return zem_tag_open_ex(path_utf8, 0, error); }

extern "C" zem_tag* zem_tag_open_ex(const char* path_utf8, unsigned flags, int* error) {
    zem_tag* result = nullptr;
    int code = zem::api::Guarded([&] {
        if (flags & ~ZEM_TAG_OPEN_ID3V1)
            return ZEM_ERROR_INVALID_ARGUMENT;
        auto tag = std::make_unique<zem_tag>();
        tag->flags = flags;
        if (!zem::api::LibraryPathFromUtf8(path_utf8, &tag->path))
            return ZEM_ERROR_INVALID_ARGUMENT;
        CWin32File file;
        if (file.OpenForReading(tag->path.c_str()) != 0)
            return ZEM_ERROR_CANNOT_OPEN;
        file.Close();
        tag->view = ReadView(tag->path, flags);
        result = tag.release();
        return ZEM_OK;
    });
    if (error)
        *error = code;
    return code == ZEM_OK ? result : nullptr;
}

extern "C" int zem_tag_found(const zem_tag* t) {
    return t ? static_cast<int>(t->view.found) : ZEM_ERROR_INVALID_ARGUMENT;
}

extern "C" int zem_tag_count(const zem_tag* t) {
    return t ? static_cast<int>(t->view.entries.size()) : ZEM_ERROR_INVALID_ARGUMENT;
}

extern "C" const char* zem_tag_name(const zem_tag* t, int index) {
    if (!t || index < 0 || static_cast<size_t>(index) >= t->view.entries.size())
        return nullptr;
    return t->view.entries[static_cast<size_t>(index)].name.c_str();
}

extern "C" const char* zem_tag_get(const zem_tag* t, const char* name) {
    if (!t || !name)
        return nullptr;
    try {
        const TagEntry* entry = t->Find(name);
        if (!entry || !entry->text)
            return nullptr;
        const char* bytes = reinterpret_cast<const char*>(entry->value.data());
        return t->Keep(std::string(bytes, strnlen(bytes, entry->value.size())));
    } catch (...) {
        return nullptr;
    }
}

extern "C" long zem_tag_get_binary(const zem_tag* t, const char* name, void* buffer, size_t size) {
    if (!t || !name)
        return ZEM_ERROR_INVALID_ARGUMENT;
    const TagEntry* entry = t->Find(name);
    if (!entry || entry->value.size() > static_cast<size_t>(LONG_MAX))
        return ZEM_ERROR_INVALID_ARGUMENT;
    if (buffer && size >= entry->value.size() && !entry->value.empty())
        std::memcpy(buffer, entry->value.data(), entry->value.size());
    return static_cast<long>(entry->value.size());
}

extern "C" int zem_tag_set(zem_tag* t, const char* name, const char* value_utf8) {
    if (!t)
        return ZEM_ERROR_INVALID_ARGUMENT;
    return zem::api::Guarded([&] {
        if (value_utf8 && !IsValidUtf8(value_utf8))
            return t->Fail(ZEM_ERROR_INVALID_ARGUMENT, "the value is not UTF-8");
        return t->Change(name, value_utf8, value_utf8 ? std::strlen(value_utf8) : 0, true);
    });
}

extern "C" int zem_tag_set_binary(zem_tag* t, const char* name, const void* data, size_t size) {
    if (!t)
        return ZEM_ERROR_INVALID_ARGUMENT;
    return zem::api::Guarded([&] { return t->Change(name, data, size, false); });
}

extern "C" int zem_tag_save(zem_tag* t) { return zem_tag_save_ex(t, 0); }

extern "C" int zem_tag_save_ex(zem_tag* t, unsigned flags) {
    if (!t || (flags & ~(ZEM_TAG_SAVE_ID3V1 | ZEM_TAG_SAVE_ZEM_ONLY)) ||
        flags == (ZEM_TAG_SAVE_ID3V1 | ZEM_TAG_SAVE_ZEM_ONLY))
        return ZEM_ERROR_INVALID_ARGUMENT;
    return zem::api::Guarded([&] { return t->Save(flags, true); });
}

extern "C" int zem_tag_check_save(zem_tag* t, unsigned flags) {
    if (!t || (flags & ~(ZEM_TAG_SAVE_ID3V1 | ZEM_TAG_SAVE_ZEM_ONLY)) ||
        flags == (ZEM_TAG_SAVE_ID3V1 | ZEM_TAG_SAVE_ZEM_ONLY))
        return ZEM_ERROR_INVALID_ARGUMENT;
    return zem::api::Guarded([&] { return t->Save(flags, false); });
}

extern "C" int zem_tag_remove(zem_tag* t, const char* name) {
    if (!t)
        return ZEM_ERROR_INVALID_ARGUMENT;
    return zem::api::Guarded([&] { return t->Remove(name); });
}

extern "C" int zem_tag_clear(zem_tag* t) {
    if (!t)
        return ZEM_ERROR_INVALID_ARGUMENT;
    return zem::api::Guarded([&] {
        t->Clear();
        return ZEM_OK;
    });
}

extern "C" long zem_tag_get_error_detail(const zem_tag* t, char* buffer, size_t size) {
    if (!t || (!buffer && size > 0))
        return ZEM_ERROR_INVALID_ARGUMENT;
    zem::api::CopyDetail(t->detail, buffer, size);
    return static_cast<long>(std::min<size_t>(t->detail.size(), LONG_MAX));
}

extern "C" void zem_tag_close(zem_tag* t) { delete t; }
