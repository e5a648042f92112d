// SPDX-License-Identifier: BSD-3-Clause
// Reads a tag from arbitrary bytes, asks every query, then checks that saving
// and stripping give back what was read.
#include "fuzz/fuzz_input.h"
#include "io/memory_stream.h"
#include "io/text_convert.h"
#include "tag/tag_block.h"

#include <cstring>
#include <string>
#include <vector>

using namespace zem;

namespace {

void QueryField(CTagBlock& tag, const CTagItem& item) {
    const WCHAR* name = item.GetName().c_str();
    FUZZ_REQUIRE(tag.FindField(name) >= 0);
    std::vector<uint8_t> bytes(static_cast<size_t>(item.GetValueSize()) + 1);
    int byteCount = static_cast<int>(bytes.size());
    tag.GetFieldBytes(name, bytes.data(), &byteCount);
    std::vector<WCHAR> small(4);
    int chars = static_cast<int>(small.size());
    tag.GetFieldText(name, small.data(), &chars);
    if (chars > 0 && chars < (1 << 20)) {
        std::vector<WCHAR> exact(static_cast<size_t>(chars));
        int exactChars = chars;
        tag.GetFieldText(name, exact.data(), &exactChars);
    }
    for (int utf8 = 0; utf8 <= 1; ++utf8) {
        std::vector<char> narrow(64 + 1);
        int length = 64;
        tag.GetFieldTextNarrow(name, narrow.data(), &length, utf8);
    }
}

void QueryEverything(CTagBlock& tag) {
    tag.GetTrailingBytes();
    tag.HasZemTag();
    tag.GetZemTagVersion();
    tag.HasId3v1();
    const int count = tag.GetFieldCount();
    FUZZ_REQUIRE(count >= 0 && count <= CTagBlock::kMaxFields);
    FUZZ_REQUIRE(tag.GetField(count) == nullptr && tag.GetField(-1) == nullptr);
    for (int i = 0; i < count; ++i) {
        CTagItem* item = tag.GetField(i);
        FUZZ_REQUIRE(item != nullptr);
        QueryField(tag, *item);
    }
    Id3v1Record record;
    tag.BuildId3v1(&record);
}

struct FieldCopy {
    WString name;
    std::vector<uint8_t> value;
    uint32_t flags;
};

// What a save writes for each field: values as held, except that the text of
// an older tag (ANSI code page) is written as UTF-8 text, up to its first NUL.
// A field whose text is then empty is written as an empty item, which a
// reader skips, so it is not expected back.
std::vector<FieldCopy> ExpectedAfterSave(CTagBlock& tag) {
    const bool ansi = tag.HasZemTag() && tag.GetZemTagVersion() < 2000;
    std::vector<FieldCopy> fields;
    for (int i = 0; i < tag.GetFieldCount(); ++i) {
        const CTagItem* item = tag.GetField(i);
        std::vector<uint8_t> value(item->GetValue(), item->GetValue() + item->GetValueSize());
        if (ansi && item->IsText()) {
            const std::string utf8 = AnsiToUtf8(reinterpret_cast<const char*>(item->GetValue()));
            value.assign(utf8.begin(), utf8.end());
        }
        if (!value.empty())
            fields.push_back({item->GetName(), value, item->GetFlags()});
    }
    return fields;
}

// Saving writes every field; reading the result back must give the same fields.
void CheckSaveRoundTrip(const std::vector<uint8_t>& input, int fieldCount, const std::vector<FieldCopy>& fields) {
    // A tag that cannot be cut off (say, a footer that claims more bytes than
    // the file has) makes Save fail, which is an answer, not a finding.
    CMemoryStream stripped(input);
    if (CTagBlock(&stripped, 0).Remove(0) != 0)
        return;
    CMemoryStream io(input);
    FUZZ_REQUIRE(CTagBlock(&io, 1).Save(0) == 0);
    if (fieldCount == 0) {
        // Nothing to write: the save only strips.
        FUZZ_REQUIRE(io.Bytes() == stripped.Bytes());
        return;
    }
    CTagBlock reread(&io, 1);
    FUZZ_REQUIRE(reread.GetFieldCount() == static_cast<int>(fields.size()));
    for (const FieldCopy& field : fields) {
        const CTagItem* item = reread.GetField(field.name.c_str());
        FUZZ_REQUIRE(item != nullptr && item->GetFlags() == field.flags);
        FUZZ_REQUIRE(item->GetValueSize() == static_cast<int32_t>(field.value.size()));
        FUZZ_REQUIRE(std::memcmp(item->GetValue(), field.value.data(), field.value.size()) == 0);
    }
    // Stripping the saved tag leaves exactly what stripping the input left.
    FUZZ_REQUIRE(reread.Remove(1) == 0);
    FUZZ_REQUIRE(reread.GetFieldCount() == 0);
    FUZZ_REQUIRE(io.Bytes() == stripped.Bytes());
}

void CheckId3v1Save(const std::vector<uint8_t>& input) {
    CMemoryStream io(input);
    if (CTagBlock(&io, 1).Save(1) != 0)
        return;
    CTagBlock reread(&io, 1);
    QueryEverything(reread);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > fuzzing::kMaxInputBytes)
        return 0;
    const std::vector<uint8_t> input = fuzzing::CopyInput(data, size);
    CMemoryStream io(input);
    CTagBlock tag(&io, 1);
    QueryEverything(tag);
    FUZZ_REQUIRE(io.GetPosition() == 0);
    CheckSaveRoundTrip(input, tag.GetFieldCount(), ExpectedAfterSave(tag));
    CheckId3v1Save(input);
    return 0;
}
