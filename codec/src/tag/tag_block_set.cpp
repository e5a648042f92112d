// Changing the fields in memory.
#include "tag/tag_block.h"

#include "io/text_convert.h"
#include "tag/tag_item_format.h"
#include "tag/tag_text.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <utility>

namespace {
bool FitsInt(size_t size) { return size <= static_cast<size_t>(std::numeric_limits<int>::max()); }
}  // namespace

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
