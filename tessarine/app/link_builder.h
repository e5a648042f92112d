// The link build job: one ZLK image-link file per audio track of a cue sheet,
// written into the cue sheet's folder and named by a naming template.
#pragma once

#include "platform/win32.h"
#include "tessarine/app/cue_sheet.h"

#include <cstdint>
#include <vector>

class CLinkBuilder {
public:
    virtual ~CLinkBuilder() = default;

    // Returns 1 whether or not any file could be written; only running out of
    // memory raises (std::bad_alloc), leaving the files written so far.
    int BuildLinks(const WCHAR* cueSheetPath, const WCHAR* namingTemplate);
};

// What one job did, for callers that report it (BuildLinks does not).
struct LinkBuildResult {
    size_t tracks = 0;
    std::vector<WString> written;  // link paths in track order (a name twice when two tracks share it)
    std::vector<WString> failed;   // link paths that could not be created
};
// The job itself; BuildLinks runs it and drops the result.
LinkBuildResult BuildLinkFiles(const WCHAR* cueSheetPath, const WCHAR* namingTemplate);

// The job's steps, usable on their own.

// The image's sample rate through the decoder factory; 44100 when the image
// cannot be opened as a stream (missing, a WAV file, ...).
int32_t GetImageSampleRate(const WCHAR* imagePath);
// rate x time in double precision, in the fixed order that link files have
// always been written with (so 00:39:02 at 44100 gives 1721075), truncated
// toward zero. Results beyond the signed 32-bit range are held at its ends.
int32_t CueTimeToBlock(const CueTime& time, int32_t rate);
// The file name stem of one track (no folder, no ".zlk").
WString ExpandNamingTemplate(const WString& namingTemplate, const CueSheet& sheet, const CueTrack& track);
// The text lines in front of the marker, as wide text.
WString FormatLinkHeader(const WString& imageFile, int32_t startBlock, const std::optional<int32_t>& finishBlock);
// Replaces any file at `linkPath`; a file that cannot be created is skipped
// silently. Returns whether the file was created.
bool WriteLinkFile(const WCHAR* linkPath, const WString& header, const CueSheet& sheet, const CueTrack& track);
// The cue sheet's path up to and including its last backslash (or separator).
WString CueSheetFolder(const WString& cueSheetPath);
