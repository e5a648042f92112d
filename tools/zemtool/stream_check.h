// SPDX-License-Identifier: BSD-3-Clause
// What decode and verify check besides the frames: that the header describes
// the file (and if not, why), that the wave file's header and trailer can be
// read, and that the decoded wave file matches the digest the stream stores.
#pragma once

#include "decode/decoder.h"
#include "encode/md5.h"
#include "io/stream_io.h"

#include <cstdint>
#include <string>
#include <vector>

namespace zemtool {

// Until these files read through <zem/zem.h>, they name the codec's classes.
using namespace zem;

// Why the header of the stream in `io` is refused, in a few words; empty when
// it is not (or when there is no file).
std::string HeaderProblem(CStreamIo* io);
// The same for the stream file `path`.
std::string HeaderProblemOfFile(const std::string& path);

// The decoded wave file's bytes in front of and behind the audio.
struct WaveEnds {
    std::vector<uint8_t> header;
    std::vector<uint8_t> trailer;
};

// Reads both from the decoder; false with a reason when either cannot be read.
bool ReadWaveEnds(CDecoder& decoder, WaveEnds* ends, std::string* reason);

// The stream's descriptor stores the MD5 digest of the whole wave file it was
// made from (stored header, audio, trailer). The check is made when the whole
// stream is decoded and the stream stores a digest (version 3980 on, not all
// zero bytes); a range of a link file is not checked.
class DigestCheck {
public:
    DigestCheck(CDecoder& decoder, bool wholeStream);

    bool Active() const { return m_active; }
    void Add(const uint8_t* bytes, size_t count);
    // After the whole wave file was added; true when inactive.
    bool Matches();

private:
    bool m_active = false;
    uint8_t m_stored[16] = {};
    CMd5 m_md5;
};

}  // namespace zemtool
