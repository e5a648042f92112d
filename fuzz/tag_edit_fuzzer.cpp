// SPDX-License-Identifier: BSD-3-Clause
// Edits the tags of arbitrary bytes the way zem_tag_save() (and so `zemtool
// tag`) does, in memory:
// the bytes in front of the tag area must stay as they were, every field that
// no edit names must come back with its value, and a write that runs out of
// room must leave the file as it was.
#include "fuzz/fuzz_input.h"
#include "io/memory_stream.h"
#include "io/text_convert.h"
#include "tag/tag_area.h"
#include "tag/tag_area_rewrite.h"
#include "tag/tag_block.h"
#include "tag/tag_changes.h"
#include "tag/tag_stream_end.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

using namespace zem;

namespace {

constexpr size_t kPrefixBytes = 3;  // edits, field pick, room left on the disk
const char* const kRecordFields[] = {"Title", "Artist", "Album", "Year", "Comment", "Track", "Genre"};

// Writes fail once the file would grow beyond `capacity` bytes.
class SmallDisk : public CMemoryStream {
public:
    SmallDisk(std::vector<uint8_t> bytes, size_t capacity) : CMemoryStream(std::move(bytes)), m_capacity(capacity) {}
    int Write(const void* buffer, int32_t count, int32_t* written) override {
        const int64_t room = static_cast<int64_t>(m_capacity) - GetPosition();
        const int32_t fits = static_cast<int32_t>(std::max<int64_t>(0, std::min<int64_t>(room, count)));
        CMemoryStream::Write(buffer, fits, written);
        return fits == count ? 0 : 1001;
    }

private:
    size_t m_capacity;
};

struct Field {
    WString name;
    std::vector<uint8_t> value;  // as a rewrite stores it
    uint32_t flags;
};

std::vector<Field> FieldsOf(const std::vector<uint8_t>& tag) {
    CMemoryStream io(tag);
    CTagBlock block(&io, 1);
    std::vector<Field> fields;
    for (int i = 0; i < block.GetFieldCount(); ++i) {
        const CTagItem* item = block.GetField(i);
        std::vector<uint8_t> value(item->GetValue(), item->GetValue() + item->GetValueSize());
        if (item->IsAnsiText() && item->IsText()) {
            const std::string utf8 = AnsiToUtf8(reinterpret_cast<const char*>(item->GetValue()));
            value.assign(utf8.begin(), utf8.end());
        }
        fields.push_back({item->GetName(), value, item->GetFlags()});
    }
    return fields;
}

const Field* Find(const std::vector<Field>& fields, const WString& name) {
    for (const Field& field : fields) {
        if (CTagItem(field.name.c_str(), nullptr, 0, 0).HasName(name.c_str()))
            return &field;
    }
    return nullptr;
}

// The edits of one run, and whether the tag alone is saved as an ID3v1 record.
struct Request {
    std::vector<TagChange> changes;
    bool id3v1 = false;
};

bool Names(const Request& request, const WString& name) {
    for (const TagChange& change : request.changes) {
        if (change.kind == TagChange::Clear ||
            CTagItem(name.c_str(), nullptr, 0, 0).HasName(Utf8ToWide(change.name.c_str()).c_str()))
            return true;
    }
    return false;
}

bool TouchesRecord(const Request& request) {
    for (const char* name : kRecordFields) {
        if (Names(request, Utf8ToWide(name)))
            return true;
    }
    return false;
}

TagChange SetText(const std::string& name, const std::string& value) {
    return {TagChange::Set, name, std::vector<uint8_t>(value.begin(), value.end()), true};
}

// Up to two edits: a field of the tag itself when the pick lands on one, or a
// record field, set or removed; everything cleared now and then; the tag
// alone saved as an ID3v1 record by a bit.
Request MakeRequest(uint8_t choice, uint8_t pick, const std::vector<Field>& fields) {
    Request request;
    request.id3v1 = (choice & 0x80) != 0;
    const std::string name = pick < fields.size() ? WideToUtf8(fields[pick].name.c_str()) : kRecordFields[pick % 7];
    const std::string value = "v" + std::to_string(choice & 0x0F);
    switch ((choice >> 4) & 0x7) {
    case 0: request.changes.push_back(SetText(name, value)); break;
    case 1: request.changes.push_back({TagChange::Remove, name, {}, true}); break;
    case 2: request.changes.push_back(SetText("Fuzzed", value)); break;
    case 3: request.changes.push_back({TagChange::Clear, {}, {}, true}); break;
    default:
        request.changes.push_back(SetText(name, value));
        request.changes.push_back(SetText("Year", "1999"));
        break;
    }
    return request;
}

void CheckFieldsSurvive(const std::vector<Field>& before, const std::vector<Field>& after, const Request& request) {
    for (const Field& field : before) {
        if (Names(request, field.name))
            continue;
        const Field* kept = Find(after, field.name);
        FUZZ_REQUIRE(kept != nullptr);
        FUZZ_REQUIRE(kept->value == field.value && kept->flags == field.flags);
    }
    // The last edit, when it sets a field, leaves it with its value.
    const TagChange& last = request.changes.back();
    if (last.kind == TagChange::Set) {
        const Field* set = Find(after, Utf8ToWide(last.name.c_str()));
        FUZZ_REQUIRE(set != nullptr && set->value == last.value);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < kPrefixBytes || size > fuzzing::kMaxInputBytes)
        return 0;
    const std::vector<uint8_t> input(data + kPrefixBytes, data + size);
    CMemoryStream io(input);
    const int64_t audioEnd = StreamAudioEnd(io);
    TagArea area;
    if (!ReadTagArea(io, audioEnd, &area).empty()) {
        FUZZ_REQUIRE(io.Bytes() == input);
        return 0;
    }
    const std::vector<uint8_t> old = area.Bytes();
    FUZZ_REQUIRE(area.start >= audioEnd);
    FUZZ_REQUIRE(area.start + static_cast<int64_t>(old.size()) == static_cast<int64_t>(input.size()));
    FUZZ_REQUIRE(std::equal(old.begin(), old.end(), input.begin() + area.start));

    const bool both = !area.zemTag.empty() && !area.id3v1.empty();
    const std::vector<Field> before = FieldsOf(area.zemTag.empty() ? area.id3v1 : area.zemTag);
    const Request request = MakeRequest(data[0], data[1], before);
    const auto edit = [&request](CTagBlock& tag, CTagBlock* id3v1, std::string&) {
        return ApplyTagChanges(tag, id3v1, request.changes);
    };
    std::vector<uint8_t> bytes;
    std::string reason;
    if (RewriteTagAreaWith(area, request.id3v1, false, edit, &bytes, reason) != 0)
        return 0;

    SmallDisk disk(input, input.size() + data[2]);
    const ReplaceResult result = ReplaceTagArea(disk, area.start, old, bytes);
    FUZZ_REQUIRE(result != ReplaceResult::Lost);
    if (result == ReplaceResult::Restored)
        FUZZ_REQUIRE(disk.Bytes() == input);

    FUZZ_REQUIRE(ReplaceTagArea(io, area.start, old, bytes) == ReplaceResult::Done);
    const std::vector<uint8_t>& written = io.Bytes();
    FUZZ_REQUIRE(std::equal(input.begin(), input.begin() + area.start, written.begin()));
    FUZZ_REQUIRE(std::equal(bytes.begin(), bytes.end(), written.begin() + area.start));
    if (request.id3v1 && !both)
        return 0;  // a record holds only seven fields, by request

    TagArea after;
    FUZZ_REQUIRE(ReadTagArea(io, audioEnd, &after).empty());
    FUZZ_REQUIRE(after.start == area.start);
    CheckFieldsSurvive(before, FieldsOf(after.zemTag), request);
    if (both && !TouchesRecord(request))
        FUZZ_REQUIRE(after.id3v1 == area.id3v1);
    return 0;
}
