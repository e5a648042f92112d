#include "tag/tag_block.h"

#include "io/text_convert.h"
#include "io/win32_file.h"
#include "tag/tag_footer.h"

#include <algorithm>
#include <cstring>

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

