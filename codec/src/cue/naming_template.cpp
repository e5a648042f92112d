// SPDX-License-Identifier: BSD-3-Clause
#include "cue/link_builder.h"

#include "platform/paths.h"

namespace zem {

namespace {

// Control characters are no more welcome in a name than separators: a title
// whose closing quote is missing runs over line ends into the name.
bool IsForbiddenInName(WCHAR c) {
    static const WString kForbidden = WTXT("?\"\\/<>*|:");
    return c < 32 || kForbidden.find(c) != WString::npos;
}

struct NamingKey {
    WString key;
    const WString* value;
};

#ifndef _WIN32
// Bytes of the name in UTF-8, as a Linux file system counts them: a
// surrogate pair makes four bytes, any other unit from U+0800 three.
size_t Utf8Length(const WString& text) {
    size_t bytes = 0;
    for (size_t index = 0; index < text.size(); ++index) {
        WCHAR c = text[index];
        if (c < 0x80) {
            bytes += 1;
        } else if (c < 0x800) {
            bytes += 2;
        } else if (c >= 0xD800 && c <= 0xDBFF && index + 1 < text.size() && text[index + 1] >= 0xDC00 &&
                   text[index + 1] <= 0xDFFF) {
            bytes += 4;
            ++index;
        } else {
            bytes += 3;
        }
    }
    return bytes;
}
#endif

}  // namespace

// One pass from left to right: at each place the key that starts there is
// replaced by its value, and the value is never searched again. Replacing the
// keys one after another instead would expand keys inside inserted values
// (a performer "TITLE FIGHT" would get the track's title), and values made of
// key words would multiply the name's length with every step.
WString ExpandNamingTemplate(const WString& namingTemplate, const CueSheet& sheet, const CueTrack& track) {
    const NamingKey keys[] = {{WTXT("ARTIST"), &track.performer},
                              {WTXT("TRACK#"), &track.numberText},
                              {WTXT("TITLE"), &track.title},
                              {WTXT("ALBUM"), &sheet.title}};
    WString stem;
    for (size_t at = 0; at < namingTemplate.size() && stem.size() <= kMaxExpandedNameChars;) {
        const NamingKey* found = nullptr;
        for (const NamingKey& key : keys) {
            if (namingTemplate.compare(at, key.key.size(), key.key) == 0)
                found = &key;
        }
        if (found) {
            stem += *found->value;
            at += found->key.size();
        } else {
            stem += namingTemplate[at++];
        }
    }
    if (stem.size() > kMaxExpandedNameChars)
        stem.resize(kMaxExpandedNameChars + 1);
    static const WString kExtension = WTXT(".zlk");
    if (stem.size() >= kExtension.size() && stem.compare(stem.size() - kExtension.size(), WString::npos, kExtension) == 0)
        stem.erase(stem.size() - kExtension.size());
    // No separator, drive colon, wildcard or control character survives, so
    // the name stays in the folder and prints as one line.
    for (WCHAR& c : stem) {
        if (IsForbiddenInName(c))
            c = WCHAR('-');
    }
    return stem;
}

size_t LinkNameLength(const WString& stem) {
#ifdef _WIN32
    return stem.size() + 4;
#else
    return Utf8Length(stem) + 4;
#endif
}

bool LinkNameFits(const WString& folder, const WString& stem) {
    // The file layer takes paths of kMaxPathChars characters with the terminator.
    return stem.size() <= kMaxExpandedNameChars && LinkNameLength(stem) <= kMaxLinkNameLength &&
           folder.size() + stem.size() + 4 < kMaxPathChars;
}

}  // namespace zem
