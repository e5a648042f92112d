// SPDX-License-Identifier: BSD-3-Clause
// The link build job: one ZLK image-link file per audio track of a cue sheet,
// written into the cue sheet's folder and named by a naming template.
#pragma once

#include "platform/win32.h"
#include "cue/cue_sheet.h"

#include <cstdint>
#include <vector>

namespace zem {

class CLinkBuilder {
public:
    virtual ~CLinkBuilder() = default;

    // Returns 1 whether or not any file could be written; only running out of
    // memory raises (std::bad_alloc), leaving the files written so far.
    int BuildLinks(const WCHAR* cueSheetPath, const WCHAR* namingTemplate);
};

// A track that gets no link file, and why.
struct LinkFailure {
    int32_t track = 0;
    WString path;    // the link path; a name too long to use is cut short here
    WString reason;  // one line, for people
    bool createFailed = false;  // the name was fine but the file could not be created
};

// Something in the sheet that makes links which cannot play, or not as meant.
// The job writes its files all the same; callers may show these or refuse.
enum class LinkWarningKind {
    MissingImage,   // the image the links name is not there (or is no stream)
    RemoteImage,    // the image is a network or device path: not opened, and players refuse the links
    SeveralImages,  // several FILE lines: every track names the first image
    MissingIndex,   // a track without an INDEX 01 of its own
    BadIndex,       // an INDEX 01 time not written MM:SS:FF, or out of range
    EmptyRange,     // a track whose finish is not after its start
    DroppedTracks,  // audio tracks behind a data track or a gap get no links
    NameCollision,  // two tracks named alike: the later file replaces the earlier
};

struct LinkWarning {
    LinkWarningKind kind;
    int32_t track = 0;  // the track it concerns; 0 for the whole sheet
    WString text;       // one line, for people
};

// What one job did, for callers that report it (BuildLinks does not).
struct LinkBuildResult {
    size_t tracks = 0;
    std::vector<WString> written;      // link paths in track order (a name twice when two tracks share it)
    std::vector<LinkFailure> failed;   // tracks whose link file could not be created
    std::vector<LinkWarning> warnings;
};

// What the job will write for one track.
struct PlannedLink {
    size_t trackIndex = 0;  // into LinkPlan::sheet.tracks
    WString path;           // link file path
    WString header;         // the text lines in front of the marker
    int32_t startBlock = 0;
    std::optional<int32_t> finishBlock;  // absent for the last track (-1 in the file)
    WString problem;        // why the file cannot be written (its name is too long); empty when it can
};

// What the caller lets the job do.
struct LinkJobOptions {
    // Open a FILE line's network or device path (\\host\..., \\.\, \\?\;
    // see link/remote_path.h). Refused by default: only a warning is given.
    bool allowRemotePaths = false;
};

// Everything the job decides before it writes a file.
struct LinkPlan {
    CueSheet sheet;
    WString folder;  // the cue sheet's folder, where the links go
    bool imageRefused = false;  // the FILE line names a network or device path that was not opened
    std::vector<PlannedLink> links;
    std::vector<LinkWarning> warnings;
};

// The job itself; BuildLinks runs it and drops the result.
LinkBuildResult BuildLinkFiles(const WCHAR* cueSheetPath, const WCHAR* namingTemplate,
                               const LinkJobOptions& options = LinkJobOptions());
// The job in two halves: reading the sheet and naming the links, then writing them.
LinkPlan PlanLinkFiles(const WCHAR* cueSheetPath, const WCHAR* namingTemplate,
                       const LinkJobOptions& options = LinkJobOptions());
LinkPlan PlanLinksFromText(const WString& sheetText, const WString& folder, const WString& namingTemplate,
                           const LinkJobOptions& options = LinkJobOptions());
// The same on a sheet already read from `sheetText`.
LinkPlan PlanLinksFromSheet(CueSheet parsed, const WString& sheetText, const WString& folder,
                            const WString& namingTemplate, const LinkJobOptions& options = LinkJobOptions());
LinkBuildResult WriteLinkFiles(const LinkPlan& plan);
// The links of a cue sheet that an image carries in its own tag: they go
// beside the image, and its FILE line names that image whatever it says.
LinkPlan PlanLinksForImage(const WString& sheetText, const WString& imagePath, const WString& namingTemplate);
// The warnings of a plan whose links are named, from the sheet's text.
std::vector<LinkWarning> CheckLinkPlan(const LinkPlan& plan, const WString& sheetText);

// The job's steps, usable on their own.

// The image's sample rate through the decoder factory; 44100 when the image
// cannot be opened as a stream (missing, a WAV file, ...).
int32_t GetImageSampleRate(const WCHAR* imagePath);
// rate x time in double precision, in the fixed order that link files have
// always been written with (so 00:39:02 at 44100 gives 1721075), truncated
// toward zero. Results beyond the signed 32-bit range are held at its ends.
int32_t CueTimeToBlock(const CueTime& time, int32_t rate);
// The file name stem of one track (no folder, no ".zlk"). A stem that would
// grow beyond kMaxExpandedNameChars is cut one character past it: no system
// takes such a name, and LinkNameFits refuses it.
WString ExpandNamingTemplate(const WString& namingTemplate, const CueSheet& sheet, const CueTrack& track);
constexpr size_t kMaxExpandedNameChars = 4096;
// The longest file name a folder takes: 255 characters on Windows, 255 bytes
// of UTF-8 on Linux. A link's name is its stem and ".zlk".
constexpr size_t kMaxLinkNameLength = 255;
// The link name's length in the units of that limit.
size_t LinkNameLength(const WString& stem);
// Whether the link file `folder` + `stem` + ".zlk" can be created by its
// name: within the name limit, and the whole path within kMaxPathChars.
bool LinkNameFits(const WString& folder, const WString& stem);
// The text lines in front of the marker, as wide text.
WString FormatLinkHeader(const WString& imageFile, int32_t startBlock, const std::optional<int32_t>& finishBlock);
// Replaces any file at `linkPath`; a file that cannot be created is skipped
// silently. Returns whether the file was created.
bool WriteLinkFile(const WCHAR* linkPath, const WString& header, const CueSheet& sheet, const CueTrack& track);
// The cue sheet's path up to and including its last backslash (or separator).
WString CueSheetFolder(const WString& cueSheetPath);

}  // namespace zem
