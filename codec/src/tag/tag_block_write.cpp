// Stripping tags from the end of a file and appending a fresh one.
#include "tag/tag_block.h"

#include "container/codec_error.h"
#include "io/text_convert.h"
#include "tag/tag_footer.h"
#include "tag/tag_item_format.h"

#include <algorithm>

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
