// SPDX-License-Identifier: BSD-3-Clause
// Pictures in a tag (`zemtool tag --set-picture`, `--export-picture`): a
// binary item named "Cover Art (TYPE)" holding the picture's file name, a
// zero byte and the image's bytes, JPEG or PNG.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zemtool {

// The most bytes an image may have: a whole tag holds 16 MiB at most, and the
// other items and the file name need some of it.
constexpr uint64_t kMaxPictureBytes = 15u << 20;

// The item name for a --picture-type value ("front", "Back", "Cover Art
// (Leaflet)", ...); false for a type not in the list.
bool PictureItemName(const std::string& type, std::string* itemName);

// The type names the help and the error message list.
std::string PictureTypeList();

// True for the bytes of a JPEG or PNG image (by their signature).
bool IsPictureImage(const uint8_t* bytes, size_t size);

// The item's value for the image file at `path`: its name (without folder),
// a zero byte, its bytes. Returns an empty text, or why it cannot be stored.
std::string ReadPictureItem(const std::string& path, std::vector<uint8_t>* value);

// The image in an item's value (what follows the first zero byte; the whole
// value when it starts as an image itself); empty when it holds none.
std::vector<uint8_t> PictureImageOf(const std::vector<uint8_t>& value);

// Writes the image of the item `itemName` in the tag of `file` to `out`.
// Returns an empty text, or why not; *missing tells a file without that
// item from a failure to read or write.
std::string ExportPicture(const std::string& file, const std::string& itemName, const std::string& out,
                          bool* missing);

}  // namespace zemtool
