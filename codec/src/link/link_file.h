// SPDX-License-Identifier: BSD-3-Clause
// Reader of ZLK image-link files: a few text lines naming a whole-disc image
// and one track's block range, followed by the track's tag.
#pragma once

#include "platform/paths.h"
#include "platform/win32.h"

#include <cstdint>

namespace zem {

// Where the image path of a link file points: a relative path, a bare name
// or one with folders ("..\other\album.zem"), is taken from the folder of
// `linkPath` (up to its last separator; none when it has none); a path from
// a root ("\x", "/x") or with a drive ("C:...") stays as written. The link
// build job resolves the image it names in the same way, so a link opens the
// same file wherever the program runs.
WString ResolveLinkImagePath(const WString& imagePath, const WCHAR* linkPath);

// Whether the first bytes of a file (NUL-terminated) are a link file's: its
// header line at the start (behind a UTF-8 byte-order mark, if any), or,
// with `anywhere`, anywhere in them, as the reader itself accepts it.
bool HasLinkHeader(const char* text, bool anywhere);

class CLinkFile {
public:
    // Bytes of a link file that are examined; the keys must lie within them.
    static constexpr int kMaxTextBytes = 1023;

    CLinkFile();

    // Back to the invalid state: valid 0, both blocks 0, empty image path.
    void Clear();
    // Reads the start of the file at `linkPath` (opened for reading only) and
    // parses it; a file that cannot be opened leaves the record cleared.
    void ReadLinkFile(const WCHAR* linkPath);
    // Parses a NUL-terminated link text. `linkPath` (may be null) supplies the
    // folder against which a relative image path is resolved.
    void ParseLinkText(const char* text, const WCHAR* linkPath);

    int IsValid() const { return m_valid; }
    int32_t GetStartBlock() const { return m_startBlock; }
    int32_t GetFinishBlock() const { return m_finishBlock; }
    const WCHAR* GetImagePath() const { return m_imagePath; }
    // The image name as written is a network or device path (see
    // remote_path.h); a relative name inside such a folder is not.
    bool NamesRemotePath() const { return m_remoteImage; }

private:
    int m_valid = 0;
    bool m_remoteImage = false;
    int32_t m_startBlock = 0;
    int32_t m_finishBlock = 0;
    WCHAR m_imagePath[kMaxPathChars] = {};
};

}  // namespace zem
