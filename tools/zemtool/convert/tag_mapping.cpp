// SPDX-License-Identifier: BSD-3-Clause
#include "tools/zemtool/convert/tag_mapping.h"

#include <zem/zem.h>

#include <algorithm>
#include <cstring>

namespace zemtool {

const char kFrontCoverItem[] = "Cover Art (Front)";

namespace {

struct NamePair {
    const char* zem;
    const char* vorbis;
};

const NamePair kNames[] = {
    {"Artist", "ARTIST"}, {"Album Artist", "ALBUMARTIST"}, {"Album", "ALBUM"},
    {"Title", "TITLE"},   {"Year", "DATE"},                {"Track", "TRACKNUMBER"},
    {"Genre", "GENRE"},   {"Comment", "COMMENT"},          {"Disc", "DISCNUMBER"},
};

bool SameText(const std::string& a, const char* b) {
    if (a.size() != std::strlen(b))
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 'a' + 'A');
        if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 'a' + 'A');
        if (x != y)
            return false;
    }
    return true;
}

uint32_t BigEndian(const std::vector<uint8_t>& b, size_t at, size_t bytes) {
    uint32_t value = 0;
    for (size_t i = 0; i < bytes; ++i)
        value = (value << 8) | b[at + i];
    return value;
}

void ReadPngSize(Picture& p) {
    if (p.bytes.size() < 26)
        return;
    p.width = BigEndian(p.bytes, 16, 4);
    p.height = BigEndian(p.bytes, 20, 4);
    static const uint32_t kChannels[] = {1, 0, 3, 1, 2, 0, 4};
    const uint32_t type = p.bytes[25];
    p.depth = type < 7 ? p.bytes[24] * kChannels[type] : 0;
}

// Walks the JPEG's segments up to its first frame header (SOFn).
void ReadJpegSize(Picture& p) {
    const std::vector<uint8_t>& b = p.bytes;
    size_t at = 2;
    while (at + 4 <= b.size()) {
        if (b[at] != 0xFF)
            return;
        const uint8_t marker = b[at + 1];
        if (marker == 0xFF) {
            ++at;
            continue;
        }
        const size_t length = BigEndian(b, at + 2, 2);
        const bool frame = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (frame && at + 10 <= b.size()) {
            p.height = BigEndian(b, at + 5, 2);
            p.width = BigEndian(b, at + 7, 2);
            p.depth = static_cast<uint32_t>(b[at + 4]) * b[at + 9];
            return;
        }
        at += 2 + length;
    }
}

}  // namespace

std::string FieldValue(const TagFields& tags, const std::string& name) {
    for (const auto& field : tags) {
        if (SameText(field.first, name.c_str()))
            return field.second;
    }
    return {};
}

std::string VorbisName(const std::string& zemName) {
    for (const NamePair& pair : kNames) {
        if (SameText(zemName, pair.zem))
            return pair.vorbis;
    }
    std::string upper = zemName;
    for (char& c : upper) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    }
    return upper;
}

std::string ZemName(const std::string& vorbisName) {
    for (const NamePair& pair : kNames) {
        if (SameText(vorbisName, pair.vorbis))
            return pair.zem;
    }
    return vorbisName;
}

TagFields FieldsFromZemTag(const zem_tag* tag) {
    TagFields fields;
    const int count = zem_tag_count(tag);
    for (int i = 0; i < count; ++i) {
        const char* name = zem_tag_name(tag, i);
        const char* value = name ? zem_tag_get(tag, name) : nullptr;
        if (!value || !*value || SameText(name, "Cuesheet"))
            continue;
        const std::string vorbis = VorbisName(name);
        const std::string text = value;
        const size_t slash = text.find('/');
        if (vorbis == "TRACKNUMBER" && slash != std::string::npos) {
            fields.emplace_back("TRACKNUMBER", text.substr(0, slash));
            if (slash + 1 < text.size())
                fields.emplace_back("TRACKTOTAL", text.substr(slash + 1));
        } else {
            fields.emplace_back(vorbis, text);
        }
    }
    return fields;
}

Picture CoverFromZemTag(const zem_tag* tag) {
    const long size = zem_tag_get_binary(tag, kFrontCoverItem, nullptr, 0);
    if (size <= 0)
        return {};
    std::vector<uint8_t> value(static_cast<size_t>(size));
    if (zem_tag_get_binary(tag, kFrontCoverItem, value.data(), value.size()) != size)
        return {};
    const auto nul = std::find(value.begin(), value.end(), uint8_t{0});
    if (nul == value.end())
        return {};
    return DescribePicture(std::vector<uint8_t>(nul + 1, value.end()));
}

Picture DescribePicture(std::vector<uint8_t> bytes) {
    Picture p;
    p.bytes = std::move(bytes);
    static const uint8_t kPng[] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    if (p.bytes.size() >= 8 && std::memcmp(p.bytes.data(), kPng, 8) == 0) {
        p.mime = "image/png";
        ReadPngSize(p);
    } else if (p.bytes.size() >= 3 && p.bytes[0] == 0xFF && p.bytes[1] == 0xD8 && p.bytes[2] == 0xFF) {
        p.mime = "image/jpeg";
        ReadJpegSize(p);
    }
    return p;
}

std::vector<uint8_t> CoverItemValue(const Picture& picture) {
    const std::string name = picture.mime == "image/png" ? "cover.png" : "cover.jpg";
    std::vector<uint8_t> value(name.begin(), name.end());
    value.push_back(0);
    value.insert(value.end(), picture.bytes.begin(), picture.bytes.end());
    return value;
}

}  // namespace zemtool
