// SPDX-License-Identifier: BSD-3-Clause
// The fields of one file's tag in memory: read from the file's end (a ZEM tag
// or an ID3v1 record), queried and changed by name, stripped and written back.
#pragma once

#include "io/owned_ptr.h"
#include "io/stream_io.h"
#include "platform/win32.h"
#include "tag/id3v1.h"
#include "tag/tag_item.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace zem {

class CTagBlock {
public:
    static constexpr int kMaxFields = 256;

    // Opens the file itself and owns it; a file that cannot be opened yields no tag.
    CTagBlock(const WCHAR* fileName, int analyze);
    // Borrows `io`: never closes or deletes it.
    CTagBlock(CStreamIo* io, int analyze);
    ~CTagBlock();
    CTagBlock(const CTagBlock&) = delete;
    CTagBlock& operator=(const CTagBlock&) = delete;

    // Replaces the fields in memory by those the file's end holds. Never fails:
    // a damaged or missing tag gives no fields.
    int ReadTags();

    int FindField(const WCHAR* name);
    CTagItem* GetField(const WCHAR* name);
    CTagItem* GetField(int index);
    int GetFieldCount();
    // Bytes at the end of the file that the tags found by ReadTags occupy.
    int GetTrailingBytes();
    int HasZemTag();
    int GetZemTagVersion();
    int HasId3v1();

    int GetFieldBytes(const WCHAR* name, void* buffer, int* bytes);
    int GetFieldText(const WCHAR* name, WCHAR* buffer, int* chars);
    // `buffer` must hold *length + 1 bytes.
    int GetFieldTextNarrow(const WCHAR* name, char* buffer, int* length, int utf8);

    int SetFieldBytes(const WCHAR* name, const void* value, int bytes, uint32_t flags);
    int SetFieldText(const WCHAR* name, const WCHAR* value);
    int SetFieldTextNarrow(const WCHAR* name, const char* value, int alreadyUtf8);
    int DeleteField(int index);
    int DeleteField(const WCHAR* name);
    void ClearFields();
    // Smallest stored item first; fields of equal size keep their order.
    void SortFields();

    int Remove(int reanalyze);
    int Save(int useId3v1);
    int BuildId3v1(Id3v1Record* record);
    void SetReadOnlyOverride(int allow) { m_readOnlyOverride = allow; }

private:
    void EnsureAnalyzed();
    void DeleteAllFields();
    bool ReadTail(int32_t bytes, uint8_t* out);
    bool EndsWithZemFooter(int64_t fileSize);
    void ImportId3v1(const Id3v1Record& record);
    void ReadZemTag(int64_t fileSize);
    void ParseZemItems(const uint8_t* items, int64_t itemBytes, int32_t itemCount);
    int StripTags();
    bool StripTail(int64_t bytes, int64_t fileSize, bool* failed);
    std::string StoredValue(const CTagItem& item) const;
    std::vector<int> SizeOrder() const;
    bool BuildZemTag(std::vector<uint8_t>* tag);
    int WriteAtEnd(const uint8_t* bytes, int32_t count);
    WString FieldTextOrEmpty(const WCHAR* name);

    OwnedPtr<CStreamIo> m_file;
    std::array<std::unique_ptr<CTagItem>, kMaxFields> m_fields;
    int m_fieldCount = 0;
    int m_analyzed = 0;
    int m_tagBytes = 0;
    int m_hasZemTag = 0;
    int m_zemTagVersion = -1;
    int m_hasId3v1 = 0;
    int m_readOnlyOverride = 0;
};

}  // namespace zem
