// SPDX-License-Identifier: BSD-3-Clause
#include "shellprops/property_list.h"

#include "shellprops/property_keys.h"

#include <cstring>

namespace shellprops {

namespace {

// A copy of the UTF-8 text in memory of CoTaskMemAlloc, as property values
// hold their texts; null when the text is not UTF-8 or memory ran out.
wchar_t* TaskText(const std::string& utf8) {
    const int length = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), static_cast<int>(utf8.size()),
                                           nullptr, 0);
    if (length <= 0) return nullptr;
    auto* text = static_cast<wchar_t*>(CoTaskMemAlloc((size_t(length) + 1) * sizeof(wchar_t)));
    if (!text) return nullptr;
    MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), static_cast<int>(utf8.size()), text, length);
    text[length] = L'\0';
    return text;
}

}  // namespace

PropertyList::~PropertyList() { Clear(); }

void PropertyList::Clear() {
    for (Item& item : m_items) PropVariantClear(&item.value);
    m_items.clear();
}

bool PropertyList::AddNumber(const PROPERTYKEY& key, uint32_t number) {
    if (number == 0) return true;
    Item item{key, {}};
    item.value.vt = VT_UI4;
    item.value.ulVal = number;
    m_items.push_back(item);
    return true;
}

// A text that does not convert (the library hands out UTF-8 only, so this is
// memory running out) fails the whole list rather than leaving a field out silently.
bool PropertyList::AddText(const PROPERTYKEY& key, const std::string& utf8) {
    if (utf8.empty()) return true;
    Item item{key, {}};
    item.value.vt = VT_LPWSTR;
    item.value.pwszVal = TaskText(utf8);
    if (!item.value.pwszVal) return false;
    m_items.push_back(item);
    return true;
}

// Artists and genres are lists to the shell; a tag holds one text for each.
bool PropertyList::AddTextVector(const PROPERTYKEY& key, const std::string& utf8) {
    if (utf8.empty()) return true;
    Item item{key, {}};
    item.value.vt = VT_VECTOR | VT_LPWSTR;
    item.value.calpwstr.pElems = static_cast<LPWSTR*>(CoTaskMemAlloc(sizeof(LPWSTR)));
    if (!item.value.calpwstr.pElems) return false;
    item.value.calpwstr.cElems = 1;
    item.value.calpwstr.pElems[0] = TaskText(utf8);
    if (!item.value.calpwstr.pElems[0]) {
        item.value.calpwstr.cElems = 0;
        PropVariantClear(&item.value);
        return false;
    }
    m_items.push_back(item);
    return true;
}

bool PropertyList::Fill(const TrackProperties& track) {
    Clear();
    // Room for every key up front: the additions below then cannot throw.
    try {
        m_items.reserve(12);
    } catch (...) {
        return false;
    }
    Item duration{kMediaDuration, {}};
    duration.value.vt = VT_UI8;
    duration.value.uhVal.QuadPart = track.duration;
    m_items.push_back(duration);
    const bool filled = AddNumber(kAudioSampleRate, track.sampleRate) &&
                        AddNumber(kAudioChannelCount, track.channels) &&
                        AddNumber(kAudioSampleSize, track.sampleSize) &&
                        AddNumber(kAudioEncodingBitrate, track.bitrate) && AddText(kTitle, track.title) &&
                        AddTextVector(kMusicArtist, track.artist) && AddText(kMusicAlbumTitle, track.album) &&
                        AddNumber(kMusicTrackNumber, track.trackNumber) && AddNumber(kMediaYear, track.year) &&
                        AddTextVector(kMusicGenre, track.genre) && AddText(kComment, track.comment);
    if (!filled) Clear();
    return filled;
}

bool PropertyList::KeyAt(DWORD index, PROPERTYKEY& key) const {
    if (index >= m_items.size()) return false;
    key = m_items[index].key;
    return true;
}

HRESULT PropertyList::Copy(const PROPERTYKEY& key, PROPVARIANT& value) const {
    PropVariantInit(&value);
    for (const Item& item : m_items)
        if (IsEqualPropertyKey(item.key, key)) return PropVariantCopy(&value, &item.value);
    return S_OK;
}

}  // namespace shellprops
