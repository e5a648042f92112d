#include "tessarine/app/link_builder.h"

namespace {

// Non-overlapping occurrences, left to right; inserted text is not rescanned.
WString ReplaceAll(const WString& text, const WString& key, const WString& value) {
    WString out;
    size_t from = 0;
    for (size_t at = text.find(key); at != WString::npos; at = text.find(key, from)) {
        out.append(text, from, at - from);
        out += value;
        from = at + key.size();
    }
    out.append(text, from, WString::npos);
    return out;
}

bool IsForbiddenInName(WCHAR c) {
    static const WString kForbidden = WTXT("?\"\\/<>*|:");
    return kForbidden.find(c) != WString::npos;
}

}  // namespace

WString ExpandNamingTemplate(const WString& namingTemplate, const CueSheet& sheet, const CueTrack& track) {
    WString stem = ReplaceAll(namingTemplate, WTXT("ARTIST"), track.performer);
    stem = ReplaceAll(stem, WTXT("TRACK#"), track.numberText);
    stem = ReplaceAll(stem, WTXT("TITLE"), track.title);
    stem = ReplaceAll(stem, WTXT("ALBUM"), sheet.title);
    static const WString kExtension = WTXT(".zlk");
    if (stem.size() >= kExtension.size() && stem.compare(stem.size() - kExtension.size(), WString::npos, kExtension) == 0)
        stem.erase(stem.size() - kExtension.size());
    // No separator, drive colon or wildcard survives, so the name stays in the folder.
    for (WCHAR& c : stem) {
        if (IsForbiddenInName(c))
            c = WCHAR('-');
    }
    return stem;
}
