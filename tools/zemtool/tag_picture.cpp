// SPDX-License-Identifier: BSD-3-Clause
#include "tools/zemtool/tag_picture.h"

#include "tools/zemtool/tool_failure.h"

#include <zem/zem.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <system_error>

namespace zemtool {
namespace {

namespace fs = std::filesystem;

// The types other taggers write, in the words of their item names.
const char* const kPictureTypes[] = {"Front", "Back", "Leaflet", "Media", "Artist", "Band", "Composer",
                                     "Conductor", "Illustration", "Icon", "Other"};
const char kItemPrefix[] = "Cover Art (";

bool SameLetters(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
               return lower(x) == lower(y);
           });
}

fs::path PathOf(const std::string& path) {
#ifdef _WIN32
    return fs::u8path(path);
#else
    return fs::path(path);
#endif
}

std::string BaseName(const std::string& path) {
    const size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

struct TagCloser {
    void operator()(zem_tag* tag) const { zem_tag_close(tag); }
};

}  // namespace

bool PictureItemName(const std::string& type, std::string* itemName) {
    std::string word = type;
    const std::string prefix = kItemPrefix;
    if (word.size() > prefix.size() && SameLetters(word.substr(0, prefix.size()), prefix) && word.back() == ')')
        word = word.substr(prefix.size(), word.size() - prefix.size() - 1);
    for (const char* known : kPictureTypes) {
        if (SameLetters(word, known)) {
            *itemName = prefix + known + ")";
            return true;
        }
    }
    return false;
}

std::string PictureTypeList() {
    std::string list;
    for (const char* known : kPictureTypes)
        list += (list.empty() ? "" : ", ") + std::string(known);
    return list;
}

bool IsPictureImage(const uint8_t* bytes, size_t size) {
    static const uint8_t kJpeg[] = {0xFF, 0xD8, 0xFF};
    static const uint8_t kPng[] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    return (size >= sizeof kJpeg && std::memcmp(bytes, kJpeg, sizeof kJpeg) == 0) ||
           (size >= sizeof kPng && std::memcmp(bytes, kPng, sizeof kPng) == 0);
}

std::string ReadPictureItem(const std::string& path, std::vector<uint8_t>* value) {
    std::error_code error;
    const uint64_t size = fs::file_size(PathOf(path), error);
    if (error)
        return "cannot read the picture " + Quoted(path) + ": " + error.message();
    if (size > kMaxPictureBytes)
        return "the picture " + Quoted(path) + " has " + std::to_string(size) + " bytes; a tag takes " +
               std::to_string(kMaxPictureBytes) + " (15 MiB) at most";
    std::ifstream in(PathOf(path), std::ios::binary);
    std::vector<uint8_t> image(static_cast<size_t>(size));
    if (!in || !in.read(reinterpret_cast<char*>(image.data()), static_cast<std::streamsize>(image.size())))
        return "cannot read the picture " + Quoted(path);
    if (!IsPictureImage(image.data(), image.size()))
        return Quoted(path) + " is neither a JPEG nor a PNG image";
    const std::string name = BaseName(path);
    value->assign(name.begin(), name.end());
    value->push_back(0);
    value->insert(value->end(), image.begin(), image.end());
    return {};
}

std::vector<uint8_t> PictureImageOf(const std::vector<uint8_t>& value) {
    if (IsPictureImage(value.data(), value.size()))
        return value;
    const auto zero = std::find(value.begin(), value.end(), uint8_t(0));
    if (zero == value.end())
        return {};
    return std::vector<uint8_t>(zero + 1, value.end());
}

std::string ExportPicture(const std::string& file, const std::string& itemName, const std::string& out,
                          bool* missing) {
    *missing = false;
    int error = 0;
    const std::unique_ptr<zem_tag, TagCloser> tag(zem_tag_open(file.c_str(), &error));
    if (!tag)
        return "cannot open " + Quoted(file);
    const long size = zem_tag_get_binary(tag.get(), itemName.c_str(), nullptr, 0);
    if (size < 0) {
        *missing = true;
        return Quoted(file) + " holds no " + Quoted(itemName);
    }
    std::vector<uint8_t> value(static_cast<size_t>(size));
    if (zem_tag_get_binary(tag.get(), itemName.c_str(), value.data(), value.size()) != size)
        return "cannot read " + Quoted(itemName) + " of " + Quoted(file);
    const std::vector<uint8_t> image = PictureImageOf(value);
    if (image.empty()) {
        *missing = true;
        return "the item " + Quoted(itemName) + " of " + Quoted(file) + " holds no picture";
    }
    std::ofstream target(PathOf(out), std::ios::binary | std::ios::trunc);
    if (target)
        target.write(reinterpret_cast<const char*>(image.data()), static_cast<std::streamsize>(image.size()));
    if (target)
        target.close();
    if (!target) {
        std::error_code ignored;
        fs::remove(PathOf(out), ignored);
        return "cannot write the picture to " + Quoted(out);
    }
    return {};
}

}  // namespace zemtool
