// SPDX-License-Identifier: BSD-3-Clause
#include "tests/tag/tag_test_util.h"

#include <algorithm>
#include <cstring>

namespace tag_test {

using testing_support::PutU32;

Bytes ItemWithSize(int32_t valueSize, uint32_t flags, const std::string& nameAndRest) {
    Bytes out;
    PutU32(out, static_cast<uint32_t>(valueSize));
    PutU32(out, flags);
    out.insert(out.end(), nameAndRest.begin(), nameAndRest.end());
    return out;
}

Bytes Item(const std::string& name, const std::string& value, uint32_t flags) {
    return ItemWithSize(static_cast<int32_t>(value.size()), flags, name + std::string(1, '\0') + value);
}

Bytes Footer(int32_t version, int32_t size, int32_t count, uint32_t flags) {
    Bytes out = testing_support::BytesOf("ZEMTAGEX");
    PutU32(out, static_cast<uint32_t>(version));
    PutU32(out, static_cast<uint32_t>(size));
    PutU32(out, static_cast<uint32_t>(count));
    PutU32(out, flags);
    out.resize(out.size() + 8, 0);
    return out;
}

Bytes Tag(const std::vector<Bytes>& items, int32_t version, uint32_t flags) {
    Bytes body = Concat(items);
    int32_t size = static_cast<int32_t>(body.size()) + 32;
    return Concat({body, Footer(version, size, static_cast<int32_t>(items.size()), flags)});
}

Bytes TagWithHeader(const std::vector<Bytes>& items) {
    Bytes body = Concat(items);
    int32_t size = static_cast<int32_t>(body.size()) + 32;
    int32_t count = static_cast<int32_t>(items.size());
    return Concat({Footer(2000, size, count, 0xA0000000u), body, Footer(2000, size, count, 0x80000000u)});
}

Bytes Id3v1(const Id3v1Fields& fields) {
    Bytes out(128, 0);
    std::memcpy(out.data(), "TAG", 3);
    auto put = [&out](size_t offset, size_t width, const std::string& text) {
        std::memcpy(out.data() + offset, text.data(), std::min(width, text.size()));
    };
    put(3, 30, fields.title);
    put(33, 30, fields.artist);
    put(63, 30, fields.album);
    put(93, 4, fields.year);
    put(97, 30, fields.comment);  // may run into the track byte on purpose
    if (fields.comment.size() <= 28)
        out[126] = fields.track;
    out[127] = fields.genre;
    return out;
}

Bytes Concat(const std::vector<Bytes>& parts) {
    Bytes out;
    for (const Bytes& part : parts)
        out.insert(out.end(), part.begin(), part.end());
    return out;
}

Bytes Audio(size_t count) {
    Bytes out(count);
    for (size_t i = 0; i < count; ++i)
        out[i] = static_cast<uint8_t>(i * 7 + 1);
    return out;
}

std::string Text(CTagBlock& tag, const WCHAR* name) {
    WCHAR buffer[1024] = {};
    int chars = 1024;
    if (tag.GetFieldText(name, buffer, &chars) != 0)
        return "<none>";
    return testing_support::Utf8FromWide(buffer);
}

std::string Names(CTagBlock& tag) {
    std::string out;
    for (int index = 0; index < tag.GetFieldCount(); ++index) {
        if (index)
            out += ',';
        out += testing_support::Utf8FromWide(tag.GetField(index)->GetName());
    }
    return out;
}

WString Wide(const std::string& utf8) { return testing_support::WideFromUtf8(utf8); }

}  // namespace tag_test
