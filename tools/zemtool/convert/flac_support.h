// SPDX-License-Identifier: BSD-3-Clause
// Everything of `zemtool convert` that needs libFLAC. A build without libFLAC
// has these too, each failing with kNoFlacSupport. Files are named in UTF-8
// and opened by our own code, on Windows too (see utf8_file.h).
#pragma once

#include "tools/zemtool/convert/convert_item.h"
#include "tools/zemtool/convert/pcm_source.h"

#include <memory>
#include <string>

namespace zemtool {

extern const bool kHaveFlac;
extern const char kNoFlacSupport[];  // "FLAC is not available in this build"

// The Vorbis comments and the front cover (or else the first picture) of a FLAC file.
std::string ReadFlacTags(const std::string& path, TagFields* tags, Picture* cover);
// The FLAC file's audio, decoded with its MD5 checked.
std::unique_ptr<PcmSource> OpenFlacSource(const std::string& path, std::string* problem);
// Writes `output` (whole or not at all) at compression level 0 to 8.
std::string WriteFlac(PcmSource& source, const ConvertItem& item, unsigned level);

}  // namespace zemtool
