// SPDX-License-Identifier: BSD-3-Clause
// How the entries of one source folder are named in the mount: streams and
// links become WAV files, cue sheets with their image and images carrying a
// cue sheet become folders of tracks, everything else keeps its name.
#pragma once

#include <string>
#include <vector>

namespace zemfs {

enum class SourceKind { Folder, Stream, Link, CueSheet, Other };

// By the name's last extension, without regard to ASCII case (as the
// decoder factory chooses): .zem and .qrb, .zlk, .cue.
SourceKind KindOfName(const std::string& name, bool isFolder);

struct SourceEntry {
    std::string name;
    SourceKind kind = SourceKind::Other;
    bool imageFound = false;       // a cue sheet whose image opens as a stream
    bool carriesCueSheet = false;  // a stream with a cue sheet in its tag
};

enum class MountRole {
    Folder,          // a source folder
    Plain,           // a file shown as itself
    Wave,            // the WAV of a stream or a link
    CueFolder,       // the tracks of a cue sheet (the sheet itself is not shown)
    ImageCueFolder,  // the tracks of the sheet an image carries
};

struct MountEntry {
    std::string name;
    MountRole role = MountRole::Plain;
    std::string source;  // the source entry's name
};

// The mount's entries for one folder's entries, sorted by name.
//
// A made entry is named by its stem ("X.zem" gives "X.wav" and, carrying a
// sheet, the folder "X"; "X.cue" gives the folder "X"). Where that name is
// also another entry's, every made entry that wants it keeps its source's
// extension instead ("X.zem.wav", "X.zlk.wav"; the folders "X.cue", "X.zem").
// Folders and files shown as themselves always keep their names; a made entry
// whose name still meets another entry's is left out (its source goes to `dropped`).
// A folder whose stem would be "", "." or ".." keeps its source's name (".cue").
std::vector<MountEntry> MapFolder(const std::vector<SourceEntry>& entries, std::vector<std::string>* dropped = nullptr);

// The name a cue track's link file would have, as a WAV file: the link name
// with its ".zlk" replaced by ".wav".
std::string TrackFileName(const std::string& linkFileName);

}  // namespace zemfs
