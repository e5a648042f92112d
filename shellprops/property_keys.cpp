// SPDX-License-Identifier: BSD-3-Clause
#include "shellprops/property_keys.h"

namespace shellprops {

namespace {

// The format ids of the property sets: audio summary (which holds the duration too), music, and summary.
constexpr GUID kAudioSet = {0x64440490, 0x4c8b, 0x11d1, {0x8b, 0x70, 0x08, 0x00, 0x36, 0xb1, 0x1a, 0x03}};
constexpr GUID kMusicSet = {0x56a3372e, 0xce9c, 0x11d2, {0x9f, 0x0e, 0x00, 0x60, 0x97, 0xc6, 0x86, 0xf6}};
constexpr GUID kSummarySet = {0xf29f85e0, 0x4ff9, 0x1068, {0xab, 0x91, 0x08, 0x00, 0x2b, 0x27, 0xb3, 0xd9}};

}  // namespace

const PROPERTYKEY kMediaDuration = {kAudioSet, 3};
const PROPERTYKEY kAudioSampleRate = {kAudioSet, 5};
const PROPERTYKEY kAudioChannelCount = {kAudioSet, 7};
const PROPERTYKEY kAudioSampleSize = {kAudioSet, 6};
const PROPERTYKEY kAudioEncodingBitrate = {kAudioSet, 4};
const PROPERTYKEY kTitle = {kSummarySet, 2};
const PROPERTYKEY kMusicArtist = {kMusicSet, 2};
const PROPERTYKEY kMusicAlbumTitle = {kMusicSet, 4};
const PROPERTYKEY kMusicTrackNumber = {kMusicSet, 7};
const PROPERTYKEY kMediaYear = {kMusicSet, 5};
const PROPERTYKEY kMusicGenre = {kMusicSet, 11};
const PROPERTYKEY kComment = {kSummarySet, 6};

}  // namespace shellprops
