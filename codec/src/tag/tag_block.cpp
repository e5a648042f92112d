// SPDX-License-Identifier: BSD-3-Clause
#include "tag/tag_block.h"

#include "container/codec_error.h"
#include "io/text_convert.h"
#include "io/win32_file.h"
#include "tag/tag_footer.h"
#include "tag/tag_item_format.h"
#include "tag/tag_text.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <utility>
#include <vector>

namespace zem {

namespace {

constexpr int64_t kIntMax = std::numeric_limits<int>::max();

int ClampToInt(int64_t value) { return static_cast<int>(std::min(value, kIntMax)); }

bool FitsInt(size_t size) { return size <= static_cast<size_t>(std::numeric_limits<int>::max()); }

}  // namespace

CTagBlock::CTagBlock(const WCHAR* fileName, int analyze) {
    auto* file = new CWin32File();
    m_file.Assign(file, false, true);
    // A file that cannot be opened is not an error here: it simply has no tag.
    if (fileName)
        file->Open(fileName);
    if (analyze)
        ReadTags();
}

CTagBlock::CTagBlock(CStreamIo* io, int analyze) {
    m_file.Assign(io, false, false);
    if (analyze)
        ReadTags();
}

CTagBlock::~CTagBlock() {
    DeleteAllFields();
    m_file.Release();
}

void CTagBlock::EnsureAnalyzed() {
    if (!m_analyzed)
        ReadTags();
}

int CTagBlock::FindField(const WCHAR* name) {
    EnsureAnalyzed();
    if (!name)
        return -1;
    for (int index = 0; index < m_fieldCount; ++index) {
        if (m_fields[index]->HasName(name))
            return index;
    }
    return -1;
}

CTagItem* CTagBlock::GetField(const WCHAR* name) { return GetField(FindField(name)); }

CTagItem* CTagBlock::GetField(int index) {
    EnsureAnalyzed();
    if (index < 0 || index >= m_fieldCount)
        return nullptr;
    return m_fields[index].get();
}

int CTagBlock::GetFieldCount() {
    EnsureAnalyzed();
    return m_fieldCount;
}

int CTagBlock::GetTrailingBytes() {
    EnsureAnalyzed();
    return m_tagBytes;
}

int CTagBlock::HasZemTag() {
    EnsureAnalyzed();
    return m_hasZemTag;
}

int CTagBlock::GetZemTagVersion() {
    EnsureAnalyzed();
    return m_zemTagVersion;
}

int CTagBlock::HasId3v1() {
    EnsureAnalyzed();
    return m_hasId3v1;
}

// Reading the tags at the end of a file into the fields in memory.
int CTagBlock::ReadTags() {
    DeleteAllFields();
    m_tagBytes = 0;
    m_analyzed = 1;
    m_hasZemTag = 0;
    m_hasId3v1 = 0;
    m_zemTagVersion = -1;
    if (!m_file || m_file->IsSequential())
        return 0;
    int32_t position = m_file->GetPosition();
    int64_t fileSize = m_file->GetSize();
    Id3v1Record record;
    // A short ZEM tag may leave "TAG" 128 bytes before the end by chance (inside
    // the audio, or in an earlier footer's magic); a file whose last 32 bytes are
    // a valid ZEM footer therefore ends in a ZEM tag, not an ID3v1 record.
    if (fileSize >= kId3v1Bytes && !EndsWithZemFooter(fileSize) && ReadTail(kId3v1Bytes, record.bytes) &&
        IsId3v1Record(record.bytes)) {
        // A file that ends with an ID3v1 record is not searched for a ZEM tag.
        m_hasId3v1 = 1;
        m_tagBytes += kId3v1Bytes;
        ImportId3v1(record);
    } else if (fileSize >= kZemFooterBytes) {
        ReadZemTag(fileSize);
    }
    m_file->Seek(position, 0);
    return 0;
}

bool CTagBlock::EndsWithZemFooter(int64_t fileSize) {
    uint8_t raw[kZemFooterBytes];
    return fileSize >= kZemFooterBytes && ReadTail(kZemFooterBytes, raw) &&
           IsReadableZemFooter(DecodeZemFooter(raw), fileSize);
}

bool CTagBlock::ReadTail(int32_t bytes, uint8_t* out) {
    m_file->Seek(-bytes, 2);
    int32_t got = 0;
    return m_file->Read(out, bytes, &got) == 0 && got == bytes;
}

void CTagBlock::ImportId3v1(const Id3v1Record& record) {
    for (const Id3v1TextSlot& slot : kId3v1TextSlots) {
        std::string text = ReadId3v1Text(record, slot);
        if (!text.empty())
            SetFieldTextNarrow(slot.fieldName, text.c_str(), 0);
    }
    SetFieldTextNarrow(WTXT("Track"), ReadId3v1Track(record).c_str(), 0);
    WString genre = AnsiToWide(ReadId3v1Genre(record));
    SetFieldText(WTXT("Genre"), genre.c_str());
}

void CTagBlock::ReadZemTag(int64_t fileSize) {
    uint8_t raw[kZemFooterBytes];
    if (!ReadTail(kZemFooterBytes, raw))
        return;
    ZemTagFooter footer = DecodeZemFooter(raw);
    // The footer checks bound the item buffer by the file's size and 16 MiB.
    if (!IsReadableZemFooter(footer, fileSize))
        return;
    m_hasZemTag = 1;
    m_zemTagVersion = footer.version;
    m_tagBytes += static_cast<int>(ZemTagExtent(footer));
    int32_t itemBytes = static_cast<int32_t>(ZemTagItemBytes(footer));
    std::vector<uint8_t> items(static_cast<size_t>(itemBytes));
    m_file->Seek(-footer.size, 2);
    int32_t got = 0;
    if (m_file->Read(items.data(), itemBytes, &got) != 0 || got != itemBytes)
        return;
    ParseZemItems(items.data(), itemBytes, footer.itemCount);
}

void CTagBlock::ParseZemItems(const uint8_t* items, int64_t itemBytes, int32_t itemCount) {
    const bool ansiValues = m_zemTagVersion < kZemTagVersion;
    int64_t offset = 0;
    for (int32_t index = 0; index < itemCount; ++index) {
        TagItemView item;
        if (!ParseTagItem(items + offset, itemBytes - offset, &item))
            break;
        // Stored through the setter: a repeated name replaces the earlier value
        // in place, a read-only earlier value stays, and fields beyond the
        // table are dropped.
        WString name = Utf8ToWide(item.name);
        if (SetFieldBytes(name.c_str(), item.value, item.valueSize, item.flags) == 0 && ansiValues) {
            if (CTagItem* stored = GetField(name.c_str()))
                stored->MarkAnsiText();
        }
        offset += item.length;
    }
}

// Handing field values out: as raw bytes, as wide text and as narrow text.
int CTagBlock::GetFieldBytes(const WCHAR* name, void* buffer, int* bytes) {
    EnsureAnalyzed();
    if (!buffer || !bytes || *bytes <= 0)
        return -1;
    size_t capacity = static_cast<size_t>(*bytes);
    const CTagItem* item = GetField(name);
    if (!item) {
        std::memset(buffer, 0, capacity);
        *bytes = 0;
        return -1;
    }
    *bytes = item->GetValueSize();
    if (static_cast<size_t>(item->GetValueSize()) > capacity) {
        std::memset(buffer, 0, capacity);
        return -1;
    }
    std::memcpy(buffer, item->GetValue(), static_cast<size_t>(item->GetValueSize()));
    return 0;
}

int CTagBlock::GetFieldText(const WCHAR* name, WCHAR* buffer, int* chars) {
    EnsureAnalyzed();
    if (!buffer || !chars || *chars <= 0)
        return -1;
    int capacity = *chars;
    const CTagItem* item = GetField(name);
    if (!item || (!item->IsText() && m_zemTagVersion >= kZemTagVersion)) {
        std::fill(buffer, buffer + capacity, static_cast<WCHAR>(0));
        if (!item) {
            *chars = 0;
            return -1;
        }
        // Raw bytes, one character kept back for the terminator. The count
        // rounds up so that an odd-sized value fits the buffer it asks for.
        int bytes = ClampToInt(static_cast<int64_t>(capacity) * 2 - 2);
        int result = GetFieldBytes(name, buffer, &bytes);
        *chars = ClampToInt((static_cast<int64_t>(bytes) + 1) / 2 + 1);
        return result;
    }
    const char* value = reinterpret_cast<const char*>(item->GetValue());
    WString text = item->IsAnsiText() ? AnsiToWide(value) : Utf8ToWide(value);
    size_t length = std::char_traits<WCHAR>::length(text.c_str());
    *chars = ClampToInt(static_cast<int64_t>(length) + 1);
    if (static_cast<size_t>(capacity) < length + 1)
        return -1;
    std::copy(text.c_str(), text.c_str() + length + 1, buffer);
    return 0;
}

int CTagBlock::GetFieldTextNarrow(const WCHAR* name, char* buffer, int* length, int utf8) {
    EnsureAnalyzed();
    if (!buffer || !length || *length <= 0)
        return -1;
    int capacity = *length;
    // The wide text never has more characters than the value has bytes (plus
    // its terminator), so a larger wide buffer would change nothing.
    const CTagItem* item = GetField(name);
    int wideChars = item ? static_cast<int>(std::min<int64_t>(capacity, item->GetValueSize() + 2LL)) : capacity;
    std::vector<WCHAR> wide(static_cast<size_t>(wideChars) + 1, 0);
    int result = GetFieldText(name, wide.data(), &wideChars);
    std::string text;
    if (result == 0)
        text = utf8 ? WideToUtf8(wide.data()) : WideToAnsi(wide.data());
    if (result != 0 || text.size() > static_cast<size_t>(capacity)) {
        std::memset(buffer, 0, static_cast<size_t>(capacity) + 1);
        *length = 0;
        return -1;
    }
    std::memcpy(buffer, text.c_str(), text.size() + 1);
    *length = static_cast<int>(text.size());
    return 0;
}

// Changing the fields in memory.
int CTagBlock::SetFieldBytes(const WCHAR* name, const void* value, int bytes, uint32_t flags) {
    EnsureAnalyzed();
    if (!name)
        return -1;
    bool removal = !value || bytes <= 0;
    int index = FindField(name);
    if (index < 0) {
        if (removal)
            return 0;
        // A name the tag cannot store would be written as an item that no
        // reader accepts, losing it and every item behind it.
        if (m_fieldCount >= kMaxFields || !IsStorableFieldName(name))
            return -1;
        index = m_fieldCount++;
    } else {
        if (!m_readOnlyOverride && m_fields[index]->IsReadOnly())
            return -1;
        if (removal)
            return DeleteField(index);
    }
    m_fields[index] = std::make_unique<CTagItem>(name, value, bytes, flags);
    return 0;
}

int CTagBlock::SetFieldText(const WCHAR* name, const WCHAR* value) {
    EnsureAnalyzed();
    if (!value || !*value)
        return DeleteField(FindField(name));
    std::string utf8 = WideToUtf8(value);
    if (!FitsInt(utf8.size()))
        return -1;
    return SetFieldBytes(name, utf8.data(), static_cast<int>(utf8.size()), 0);
}

int CTagBlock::SetFieldTextNarrow(const WCHAR* name, const char* value, int alreadyUtf8) {
    EnsureAnalyzed();
    if (!value || !*value)
        return DeleteField(FindField(name));
    std::string utf8 = alreadyUtf8 ? std::string(value) : AnsiToUtf8(value);
    if (!FitsInt(utf8.size()))
        return -1;
    return SetFieldBytes(name, utf8.data(), static_cast<int>(utf8.size()), 0);
}

int CTagBlock::DeleteField(int index) {
    EnsureAnalyzed();
    if (index < 0 || index >= m_fieldCount)
        return -1;
    m_fields[index].reset();
    for (int later = index + 1; later < m_fieldCount; ++later)
        m_fields[later - 1] = std::move(m_fields[later]);
    --m_fieldCount;
    return 0;
}

int CTagBlock::DeleteField(const WCHAR* name) { return DeleteField(FindField(name)); }

void CTagBlock::ClearFields() {
    // Analyzing first keeps a later change from reading the old fields back in.
    EnsureAnalyzed();
    DeleteAllFields();
}

void CTagBlock::DeleteAllFields() {
    for (int index = 0; index < m_fieldCount; ++index)
        m_fields[index].reset();
    m_fieldCount = 0;
}

void CTagBlock::SortFields() {
    EnsureAnalyzed();
    std::vector<int> order = SizeOrder();
    std::vector<std::unique_ptr<CTagItem>> sorted;
    for (int index : order)
        sorted.push_back(std::move(m_fields[index]));
    for (size_t index = 0; index < sorted.size(); ++index)
        m_fields[index] = std::move(sorted[index]);
}

std::vector<int> CTagBlock::SizeOrder() const {
    std::vector<std::pair<int64_t, int>> sized;
    for (int index = 0; index < m_fieldCount; ++index) {
        const CTagItem& item = *m_fields[index];
        size_t nameLength = WideToAnsi(item.GetName().c_str()).size();
        sized.emplace_back(TagItemBytes(nameLength, item.GetValueSize()), index);
    }
    std::stable_sort(sized.begin(), sized.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<int> order;
    for (const auto& entry : sized)
        order.push_back(entry.second);
    return order;
}

// Stripping tags from the end of a file and appending a fresh one.
int CTagBlock::Remove(int reanalyze) {
    if (!m_file)
        return -1;
    int32_t position = m_file->GetPosition();
    int result = StripTags();
    m_file->Seek(position, 0);
    if (result == 0 && reanalyze)
        ReadTags();
    return result;
}

// Any stack of ID3v1 records and ZEM tags, in any order, goes: each pass takes
// an ID3v1 record, then a ZEM tag, until a pass finds neither.
int CTagBlock::StripTags() {
    bool failed = false;
    bool removed = true;
    while (removed && !failed) {
        removed = false;
        uint8_t raw[kId3v1Bytes];
        int64_t size = m_file->GetSize();
        // As when reading: a file whose last 32 bytes are a ZEM footer ends in a
        // ZEM tag, whatever the bytes 128 before the end happen to spell. A
        // block marked as a header is no footer, so a record ending in one is
        // taken whole, as reading took it.
        if (!EndsWithZemFooter(size) && size >= kId3v1Bytes && ReadTail(kId3v1Bytes, raw) && IsId3v1Record(raw))
            removed = StripTail(kId3v1Bytes, size, &failed);
        size = m_file->GetSize();
        if (failed || size < kZemFooterBytes || !ReadTail(kZemFooterBytes, raw))
            continue;
        // The header mark is not examined here: a stray header goes too.
        ZemTagFooter footer = DecodeZemFooter(raw);
        if (IsStrippableZemFooter(footer, size) && StripTail(ZemTagExtent(footer), size, &failed))
            removed = true;
    }
    return failed ? -1 : 0;
}

// A truncation that leaves the file at any other size counts as failed, so
// that the strip loop always ends.
bool CTagBlock::StripTail(int64_t bytes, int64_t fileSize, bool* failed) {
    m_file->Seek(static_cast<int32_t>(-bytes), 2);
    if (m_file->SetEof() != 0 || m_file->GetSize() != fileSize - bytes) {
        *failed = true;
        return false;
    }
    return true;
}

int CTagBlock::Save(int useId3v1) {
    // Saving a block whose fields were never read must not wipe the file's tag.
    EnsureAnalyzed();
    if (!m_file)
        return -1;
    std::vector<uint8_t> tag;
    // A tag too large to be read back is refused before the old one is stripped.
    if (m_fieldCount > 0 && !useId3v1 && !BuildZemTag(&tag))
        return -1;
    if (Remove(0) != 0)
        return -1;
    if (m_fieldCount == 0)
        return 0;
    if (useId3v1) {
        Id3v1Record record;
        BuildId3v1(&record);
        return WriteAtEnd(record.bytes, kId3v1Bytes);
    }
    // Only a save that went ahead reorders the fields, as the tag lists them.
    SortFields();
    return WriteAtEnd(tag.data(), static_cast<int32_t>(tag.size()));
}

// Text read from a tag older than version 2000 is ANSI; the tag written now
// declares UTF-8, so such values are converted rather than relabelled. Values
// set since are UTF-8 already and are written as they are.
std::string CTagBlock::StoredValue(const CTagItem& item) const {
    const char* value = reinterpret_cast<const char*>(item.GetValue());
    if (item.IsAnsiText() && item.IsText())
        return AnsiToUtf8(value);
    return std::string(value, static_cast<size_t>(item.GetValueSize()));
}

// The items in the order the sorted table will hold them; the table itself is
// left alone, so a save refused later keeps the fields in their order.
bool CTagBlock::BuildZemTag(std::vector<uint8_t>* tag) {
    std::vector<uint8_t> items;
    for (int index : SizeOrder()) {
        const CTagItem& item = *m_fields[index];
        std::string name = WideToAnsi(item.GetName().c_str());
        std::string value = StoredValue(item);
        if (static_cast<int64_t>(items.size()) + TagItemBytes(name.size(), 0) +
                static_cast<int64_t>(value.size()) > kZemMaxItemBytes)
            return false;
        AppendTagItem(&items, name, reinterpret_cast<const uint8_t*>(value.data()),
                      static_cast<int32_t>(value.size()), item.GetFlags());
    }
    tag->assign(items.begin(), items.end());
    tag->resize(items.size() + kZemFooterBytes);
    EncodeZemFooter(tag->data() + items.size(), static_cast<int32_t>(tag->size()), m_fieldCount);
    return true;
}

int CTagBlock::WriteAtEnd(const uint8_t* bytes, int32_t count) {
    int32_t position = m_file->GetPosition();
    m_file->Seek(0, 2);
    int32_t written = 0;
    int result = m_file->Write(bytes, count, &written);
    m_file->Seek(position, 0);
    if (result == 0 && written != count)
        result = CODEC_WRITE_FAILED;
    return result;
}

WString CTagBlock::FieldTextOrEmpty(const WCHAR* name) {
    // Longer values read as empty, as a record slot could not hold them anyway.
    WCHAR buffer[255] = {};
    int chars = 255;
    if (GetFieldText(name, buffer, &chars) != 0)
        return WString();
    return WString(buffer);
}

int CTagBlock::BuildId3v1(Id3v1Record* record) {
    EnsureAnalyzed();
    if (!record || m_fieldCount == 0)
        return -1;
    StartId3v1Record(record);
    for (const Id3v1TextSlot& slot : kId3v1TextSlots)
        WriteId3v1Text(record, slot, WideToAnsi(FieldTextOrEmpty(slot.fieldName).c_str()));
    WriteId3v1Track(record, WideToAnsi(FieldTextOrEmpty(WTXT("Track")).c_str()).c_str());
    WriteId3v1Genre(record, WideToAnsi(FieldTextOrEmpty(WTXT("Genre")).c_str()).c_str());
    return 0;
}

}  // namespace zem
