// SPDX-License-Identifier: BSD-3-Clause
#include "tag/tag_area.h"

#include "io/memory_stream.h"
#include "tag/id3v1.h"
#include "tag/tag_block.h"
#include "tag/tag_footer.h"
#include "tag/tag_item.h"
#include "tag/tag_item_format.h"

#include <algorithm>
#include <climits>

namespace zem {

namespace {

bool ReadAt(CStreamIo& file, int64_t offset, int64_t count, std::vector<uint8_t>* out) {
    if (offset < 0 || count < 0 || offset > INT32_MAX || count > INT32_MAX)
        return false;
    out->assign(static_cast<size_t>(count), 0);
    file.Seek(static_cast<int32_t>(offset), 0);
    if (file.GetPosition() != offset)
        return false;
    int32_t got = 0;
    return count == 0 || (file.Read(out->data(), static_cast<int32_t>(count), &got) == 0 && got == count);
}

// The magic alone: a block that carries it is taken for a ZEM tag's footer,
// and one that fails the footer's checks is a damaged tag, not audio.
bool EndsInZemMagic(CStreamIo& file, int64_t end, int64_t floor) {
    std::vector<uint8_t> raw;
    return end - kZemFooterBytes >= floor && ReadAt(file, end - kZemFooterBytes, kZemFooterBytes, &raw) &&
           DecodeZemFooter(raw.data()).hasMagic;
}

bool EndsInId3v1(CStreamIo& file, int64_t end, int64_t floor, std::vector<uint8_t>* record) {
    return end - kId3v1Bytes >= floor && ReadAt(file, end - kId3v1Bytes, kId3v1Bytes, record) &&
           IsId3v1Record(record->data());
}

std::string ItemName(const TagItemView& item) { return "'" + std::string(item.name) + "'"; }

// Every item parses, holds a value, and the items fill the tag exactly.
std::string CheckItems(const std::vector<uint8_t>& tag, int64_t first, const ZemTagFooter& footer) {
    const int64_t end = first + ZemTagItemBytes(footer);
    int64_t offset = first;
    for (int32_t index = 0; index < footer.itemCount; ++index) {
        TagItemView item;
        const std::string number = "item " + std::to_string(index + 1) + " of its ZEM tag";
        if (!ParseTagItem(tag.data() + offset, end - offset, &item))
            return number + " is damaged";
        if (item.valueSize == 0)
            return number + " (" + ItemName(item) + ") is empty, and a rewrite would drop it";
        // Older tags hold text in the ANSI code page, which is rewritten as
        // UTF-8 up to its first NUL.
        const bool text = (item.flags & kTagItemNotText) == 0;
        if (footer.version < kZemTagVersion && text && std::count(item.value, item.value + item.valueSize, 0) != 0)
            return number + " (" + ItemName(item) + ") holds text with a NUL byte, which a rewrite would cut";
        offset += item.length;
    }
    if (offset != end)
        return "its ZEM tag has " + std::to_string(end - offset) + " bytes behind its last item";
    return {};
}

// The library keeps one field per name, and at most kMaxFields of them.
std::string CheckFieldsKept(const std::vector<uint8_t>& tag, const ZemTagFooter& footer) {
    CMemoryStream io(tag, true);
    CTagBlock block(&io, 1);
    if (block.GetFieldCount() == footer.itemCount)
        return {};
    return "its ZEM tag holds " + std::to_string(footer.itemCount) + " items, of which only " +
           std::to_string(block.GetFieldCount()) + " could be kept (repeated names or too many fields)";
}

std::string ReadZemTag(CStreamIo& file, int64_t end, int64_t floor, std::vector<uint8_t>* tag) {
    std::vector<uint8_t> raw;
    if (!ReadAt(file, end - kZemFooterBytes, kZemFooterBytes, &raw))
        return "its ZEM tag's footer cannot be read";
    const ZemTagFooter footer = DecodeZemFooter(raw.data());
    if (!IsReadableZemFooter(footer, end))
        return "its ZEM tag's footer is damaged";
    const int64_t extent = ZemTagExtent(footer);
    if (end - extent < floor)
        return "its ZEM tag claims " + std::to_string(extent) + " bytes, but only " + std::to_string(end - floor) +
               " lie behind the audio";
    if (!ReadAt(file, end - extent, extent, tag))
        return "its ZEM tag cannot be read";
    int64_t first = 0;
    if (footer.flags & kZemFlagHasHeader) {
        const ZemTagFooter header = DecodeZemFooter(tag->data());
        if (!header.hasMagic || !(header.flags & kZemFlagIsHeader))
            return "its ZEM tag's header is damaged";
        first = kZemFooterBytes;
    }
    std::string problem = CheckItems(*tag, first, footer);
    return problem.empty() ? CheckFieldsKept(*tag, footer) : problem;
}

std::string ReadArea(CStreamIo& file, int64_t audioEnd, TagArea* area) {
    const int64_t size = file.GetSize();
    if (size < 0)
        return "its size cannot be read";
    if (audioEnd > size)
        return "it is shorter than its stream header says (the audio ends at byte " + std::to_string(audioEnd) +
               ", the file at byte " + std::to_string(size) + ")";
    int64_t end = size;
    std::vector<uint8_t> record;
    if (!EndsInZemMagic(file, end, audioEnd) && EndsInId3v1(file, end, audioEnd, &record)) {
        area->id3v1 = record;
        end -= kId3v1Bytes;
    }
    if (EndsInZemMagic(file, end, audioEnd)) {
        std::string problem = ReadZemTag(file, end, audioEnd, &area->zemTag);
        if (!problem.empty())
            return problem;
        end -= static_cast<int64_t>(area->zemTag.size());
    }
    if (EndsInZemMagic(file, end, audioEnd) || EndsInId3v1(file, end, audioEnd, &record))
        return "it ends in more tags than one ZEM tag and one ID3v1 record behind it";
    area->start = end;
    return {};
}

}  // namespace

std::vector<uint8_t> TagArea::Bytes() const {
    std::vector<uint8_t> bytes = zemTag;
    bytes.insert(bytes.end(), id3v1.begin(), id3v1.end());
    return bytes;
}

std::string ReadTagArea(CStreamIo& file, int64_t audioEnd, TagArea* area) {
    *area = TagArea();
    const int32_t position = file.GetPosition();
    std::string problem = ReadArea(file, audioEnd, area);
    file.Seek(position, 0);
    if (!problem.empty())
        *area = TagArea();
    return problem;
}

}  // namespace zem
