// SPDX-License-Identifier: BSD-3-Clause
// The check made before an input is deleted: the output is synced to disk,
// then read back and compared, as a whole wave file, with the input.
#pragma once

#include <string>

namespace zemtool {

// True when decoding `stream` gives exactly the bytes of the file `wave`
// (size and MD5 digest of both). `why` says what differs or failed.
bool StreamGivesWave(const std::string& stream, const std::string& wave, int threads, std::string* why);

// Syncs `output`, checks it against `input` (`encoded`: `output` is the
// stream made from the wave file `input`; otherwise the wave file decoded
// from it) and only then removes `input`. False with the reason when any
// step fails; the input then stays.
bool DeleteInputAfterCheck(const std::string& input, const std::string& output, bool encoded, int threads,
                           std::string* why);

}  // namespace zemtool
