// SPDX-License-Identifier: BSD-3-Clause
// Between the ZEM tag's item names and Vorbis comment names, and the binary
// item that holds a cover: a file name, a zero byte, then the image's bytes.
#pragma once

#include "tools/zemtool/convert/convert_item.h"

#include <string>

struct zem_tag;

namespace zemtool {

extern const char kFrontCoverItem[];  // "Cover Art (Front)"

// ZEM name -> Vorbis name: the well-known fields by table, the rest upper-cased.
std::string VorbisName(const std::string& zemName);
// Vorbis name -> ZEM name: the well-known fields by table, the rest as they are.
std::string ZemName(const std::string& vorbisName);

// Every text item of a ZEM tag under its Vorbis name; a "Track" of "3/12"
// becomes TRACKNUMBER 3 and TRACKTOTAL 12. Skips the embedded cue sheet,
// which only describes the whole image.
TagFields FieldsFromZemTag(const zem_tag* tag);
// The front cover a ZEM tag holds, or an empty picture.
Picture CoverFromZemTag(const zem_tag* tag);

// Recognises JPEG and PNG by their bytes and reads the image's size;
// leaves `mime` empty for anything else.
Picture DescribePicture(std::vector<uint8_t> bytes);
// The binary item's value for a picture ("cover.jpg", NUL, bytes).
std::vector<uint8_t> CoverItemValue(const Picture& picture);

}  // namespace zemtool
