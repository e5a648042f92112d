// SPDX-License-Identifier: BSD-3-Clause
// What decode and verify check besides the frames: that the header describes
// the file (and if not, why), that the wave file's header and trailer can be
// read, and that the decoded wave file matches the digest the stream stores.
#pragma once

#include <zem/zem.h>

#include <cstdint>
#include <string>
#include <vector>

namespace zemtool {

// Why the header of the stream in `bytes` is refused, in a few words; empty
// when it is not.
std::string HeaderProblemOfBytes(const std::vector<uint8_t>& bytes);
// The same for the stream file `path` (empty too when there is no file).
std::string HeaderProblemOfFile(const std::string& path);

// The decoded wave file's bytes in front of and behind the audio.
struct WaveEnds {
    std::vector<uint8_t> header;
    std::vector<uint8_t> trailer;
};

// Reads both from the decoder; false with a reason when either cannot be read.
bool ReadWaveEnds(const zem_decoder* decoder, WaveEnds* ends, std::string* reason);

// The stream stores the MD5 digest of the whole wave file it was made from
// (stored header, audio, trailer). The check is made when the whole stream
// is decoded and the stream stores a digest (version 3980 on, not all zero
// bytes); a range of a link file is not checked. The library hashes the
// stored header and trailer itself; Add takes the audio in order.
class DigestCheck {
public:
    explicit DigestCheck(const zem_decoder* decoder) : m_digest(zem_digest_open(decoder, nullptr)) {}
    ~DigestCheck() { zem_digest_end(m_digest); }
    DigestCheck(const DigestCheck&) = delete;
    DigestCheck& operator=(const DigestCheck&) = delete;

    bool Active() const { return m_digest != nullptr; }
    void Add(const uint8_t* bytes, size_t count) { zem_digest_add(m_digest, bytes, count); }
    // After all the audio was added; true when inactive. Once only.
    bool Matches();

private:
    zem_digest* m_digest;
};

}  // namespace zemtool
