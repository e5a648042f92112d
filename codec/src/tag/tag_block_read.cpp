// Reading the tags at the end of a file into the fields in memory.
#include "tag/tag_block.h"

#include "io/text_convert.h"
#include "tag/tag_footer.h"
#include "tag/tag_item_format.h"

#include <vector>

int CTagBlock::ReadTags() {
    DeleteAllFields();
    m_tagBytes = 0;
    m_analyzed = 1;
    m_hasZemTag = 0;
    m_hasId3v1 = 0;
    m_zemTagVersion = -1;
    if (!m_file)
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
