// SPDX-License-Identifier: BSD-3-Clause
// The shell properties the handler gives. They are written out here rather
// than taken from <propkey.h>: MinGW's copy has a wrong format id for some of
// the audio ones, and defining them there would pull in every key it knows.
#pragma once

#include <windows.h>
#include <propsys.h>

namespace shellprops {

extern const PROPERTYKEY kMediaDuration;       // System.Media.Duration, VT_UI8, 100 ns
extern const PROPERTYKEY kAudioSampleRate;     // System.Audio.SampleRate, VT_UI4
extern const PROPERTYKEY kAudioChannelCount;   // System.Audio.ChannelCount, VT_UI4
extern const PROPERTYKEY kAudioSampleSize;     // System.Audio.SampleSize, VT_UI4
extern const PROPERTYKEY kAudioEncodingBitrate;  // System.Audio.EncodingBitrate, VT_UI4
extern const PROPERTYKEY kTitle;               // System.Title, VT_LPWSTR
extern const PROPERTYKEY kMusicArtist;         // System.Music.Artist, VT_VECTOR | VT_LPWSTR
extern const PROPERTYKEY kMusicAlbumTitle;     // System.Music.AlbumTitle, VT_LPWSTR
extern const PROPERTYKEY kMusicTrackNumber;    // System.Music.TrackNumber, VT_UI4
extern const PROPERTYKEY kMediaYear;           // System.Media.Year, VT_UI4
extern const PROPERTYKEY kMusicGenre;          // System.Music.Genre, VT_VECTOR | VT_LPWSTR
extern const PROPERTYKEY kComment;             // System.Comment, VT_LPWSTR

}  // namespace shellprops
