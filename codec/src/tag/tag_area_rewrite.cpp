// SPDX-License-Identifier: BSD-3-Clause
#include "tag/tag_area_rewrite.h"

#include "container/codec_error.h"
#include "io/memory_stream.h"
#include "tag/tag_block.h"

#include <climits>
#include <cstring>

namespace zem {

namespace {

int SaveInMemory(CTagBlock& tag, int useId3v1, std::string& reason) {
    if (tag.Save(useId3v1) == 0)
        return CODEC_OK;
    // In memory the only refusal left is a tag too large to be read back.
    reason = "the new tag would be larger than a tag may be";
    return CODEC_FAILED;
}

int RewriteOneTag(const std::vector<uint8_t>& old, bool useId3v1, const TagAreaEdit& edit,
                  std::vector<uint8_t>* bytes, std::string& reason) {
    CMemoryStream io(old);
    CTagBlock tag(&io, 1);
    if (int error = edit(tag, nullptr, reason))
        return error;
    if (int error = SaveInMemory(tag, useId3v1 ? 1 : 0, reason))
        return error;
    *bytes = io.Bytes();
    return CODEC_OK;
}

// A record without a ZEM tag in front gives the new ZEM tag its fields.
int RewriteBoth(const TagArea& area, const TagAreaEdit& edit, std::vector<uint8_t>* bytes, std::string& reason) {
    CMemoryStream zemIo(area.zemTag.empty() ? area.id3v1 : area.zemTag);
    CMemoryStream id3v1Io(area.id3v1);
    CTagBlock zem(&zemIo, 1);
    CTagBlock id3v1(&id3v1Io, 1);
    Id3v1Record before{};
    id3v1.BuildId3v1(&before);
    if (int error = edit(zem, &id3v1, reason))
        return error;
    if (int error = SaveInMemory(zem, 0, reason))
        return error;
    *bytes = zemIo.Bytes();
    Id3v1Record after{};
    if (id3v1.BuildId3v1(&after) != 0)
        return CODEC_OK;  // no field of the record is left
    const bool same = std::memcmp(before.bytes, after.bytes, kId3v1Bytes) == 0;
    const uint8_t* record = same ? area.id3v1.data() : after.bytes;
    bytes->insert(bytes->end(), record, record + kId3v1Bytes);
    return CODEC_OK;
}

// Writes `bytes` from `start` on and ends the file behind them.
bool WriteTail(CStreamIo& file, int64_t start, const std::vector<uint8_t>& bytes) {
    const int64_t end = start + static_cast<int64_t>(bytes.size());
    if (start < 0 || end > INT32_MAX)
        return false;
    file.Seek(static_cast<int32_t>(start), 0);
    if (file.GetPosition() != start)
        return false;
    int32_t written = 0;
    const int32_t count = static_cast<int32_t>(bytes.size());
    if (count > 0 && (file.Write(bytes.data(), count, &written) != 0 || written != count))
        return false;
    return file.SetEof() == 0 && file.GetSize() == end;
}

}  // namespace

int RewriteTagAreaWith(const TagArea& area, bool useId3v1, bool keepId3v1, const TagAreaEdit& edit,
                       std::vector<uint8_t>* bytes, std::string& reason) {
    if (!area.id3v1.empty() && (!area.zemTag.empty() || keepId3v1))
        return RewriteBoth(area, edit, bytes, reason);
    return RewriteOneTag(area.zemTag.empty() ? area.id3v1 : area.zemTag, useId3v1, edit, bytes, reason);
}

ReplaceResult ReplaceTagArea(CStreamIo& file, int64_t start, const std::vector<uint8_t>& old,
                             const std::vector<uint8_t>& bytes) {
    const int32_t position = file.GetPosition();
    ReplaceResult result = ReplaceResult::Done;
    if (!WriteTail(file, start, bytes))
        result = WriteTail(file, start, old) ? ReplaceResult::Restored : ReplaceResult::Lost;
    file.Seek(position, 0);
    return result;
}

}  // namespace zem
