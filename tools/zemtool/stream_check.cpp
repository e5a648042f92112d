// SPDX-License-Identifier: BSD-3-Clause
#include "tools/zemtool/stream_check.h"

#include "container/header_reader.h"
#include "container/info_id.h"
#include "container/stream_info_record.h"
#include "io/win32_file.h"
#include "tools/zemtool/file_names.h"

#include <algorithm>
#include <cstring>

using namespace zem;

namespace zemtool {
namespace {

constexpr size_t kDigestOffset = 36;

// A size the decoder answers for a wave part, and the part itself.
bool ReadPart(CDecoder& decoder, int sizeQuery, int dataQuery, std::vector<uint8_t>* bytes) {
    const int64_t size = decoder.GetInfo(sizeQuery);
    if (size < 0 || size > INT32_MAX)
        return false;
    bytes->assign(static_cast<size_t>(size), 0);
    return bytes->empty() ||
           decoder.GetInfo(dataQuery, reinterpret_cast<intptr_t>(bytes->data()), static_cast<intptr_t>(size)) == 0;
}

}  // namespace

std::string HeaderProblem(CStreamIo* io) {
    if (!io)
        return {};
    StreamInfoRecord record;
    CHeaderReader reader(io);
    return reader.Read(&record) == 0 ? std::string() : std::string(reader.Problem());
}

std::string HeaderProblemOfFile(const std::string& path) {
    CWin32File file;
    if (file.OpenForReading(LibraryPath(path).c_str()) != 0)
        return {};
    return HeaderProblem(&file);
}

bool ReadWaveEnds(CDecoder& decoder, WaveEnds* ends, std::string* reason) {
    if (!ReadPart(decoder, WavHeaderBytes, WavHeaderData, &ends->header)) {
        *reason = "the stored wave header cannot be read";
        return false;
    }
    if (!ReadPart(decoder, WavTrailerBytes, WavTrailerData, &ends->trailer)) {
        *reason = "the wave file's trailing bytes cannot be read";
        return false;
    }
    return true;
}

DigestCheck::DigestCheck(CDecoder& decoder, bool wholeStream) {
    const auto* record = reinterpret_cast<const StreamInfoRecord*>(static_cast<intptr_t>(decoder.GetInfo(InfoRecord)));
    if (!wholeStream || !record || record->descriptor.size() < kDigestOffset + sizeof(m_stored))
        return;
    std::memcpy(m_stored, record->descriptor.data() + kDigestOffset, sizeof(m_stored));
    m_active = std::any_of(std::begin(m_stored), std::end(m_stored), [](uint8_t b) { return b != 0; });
}

void DigestCheck::Add(const uint8_t* bytes, size_t count) {
    if (m_active)
        m_md5.Update(bytes, count);
}

bool DigestCheck::Matches() {
    if (!m_active)
        return true;
    uint8_t digest[16];
    m_md5.Finish(digest);
    return std::memcmp(digest, m_stored, sizeof(digest)) == 0;
}

}  // namespace zemtool
