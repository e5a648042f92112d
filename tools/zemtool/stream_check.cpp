// SPDX-License-Identifier: BSD-3-Clause
#include "tools/zemtool/stream_check.h"

namespace zemtool {
namespace {

// A reason the library gives through `get` (length first, then the text).
template <class Get>
std::string ReasonText(Get get) {
    const long length = get(nullptr, 0);
    if (length <= 0)
        return {};
    std::string text(static_cast<size_t>(length) + 1, '\0');
    get(&text[0], text.size());
    text.resize(static_cast<size_t>(length));
    return text;
}

// One part of the wave file the decoder writes around the audio.
bool ReadPart(const zem_decoder* decoder, long (*part)(const zem_decoder*, void*, size_t),
              std::vector<uint8_t>* bytes) {
    const long size = part(decoder, nullptr, 0);
    if (size < 0)
        return false;
    bytes->assign(static_cast<size_t>(size), 0);
    return bytes->empty() || part(decoder, bytes->data(), bytes->size()) == size;
}

}  // namespace

std::string HeaderProblemOfBytes(const std::vector<uint8_t>& bytes) {
    static const uint8_t kNothing = 0;
    const void* data = bytes.empty() ? &kNothing : bytes.data();
    return ReasonText(
        [&](char* buffer, size_t size) { return zem_header_problem_memory(data, bytes.size(), buffer, size); });
}

std::string HeaderProblemOfFile(const std::string& path) {
    return ReasonText([&](char* buffer, size_t size) { return zem_header_problem(path.c_str(), buffer, size); });
}

bool ReadWaveEnds(const zem_decoder* decoder, WaveEnds* ends, std::string* reason) {
    if (!ReadPart(decoder, zem_get_wav_header, &ends->header)) {
        *reason = "the stored wave header cannot be read";
        return false;
    }
    if (!ReadPart(decoder, zem_get_wav_trailer, &ends->trailer)) {
        *reason = "the wave file's trailing bytes cannot be read";
        return false;
    }
    return true;
}

bool DigestCheck::Matches() {
    if (!m_digest)
        return true;
    const int verdict = zem_digest_end(m_digest);
    m_digest = nullptr;
    return verdict == ZEM_OK;
}

}  // namespace zemtool
