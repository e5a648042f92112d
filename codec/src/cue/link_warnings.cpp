// SPDX-License-Identifier: BSD-3-Clause
// What the job can tell about its links before it writes them: sheets that
// yield links which cannot play, or play the wrong audio. The reader takes
// such sheets without complaint; these checks look at the same text again.
#include "cue/link_builder.h"

#include "decode/decoder_factory.h"
#include "link/link_file.h"
#include "platform/paths.h"
#include "cue/key_index.h"

#include <algorithm>
#include <map>
#include <set>
#include <string>

namespace zem {

namespace {

WString Decimal(int64_t value) {
    std::string digits = std::to_string(value);
    return WString(digits.begin(), digits.end());
}

WString Quote(const WString& text) { return WTXT("'") + text + WTXT("'"); }

// A piece of the sheet quoted in a message, cut short when long.
WString Excerpt(const WString& text, size_t from, size_t end) {
    constexpr size_t kMaxChars = 40;
    if (end - from <= kMaxChars)
        return Quote(text.substr(from, end - from));
    return Quote(text.substr(from, kMaxChars) + WTXT("..."));
}

// A track's number as the sheet writes it: 01 to 09, then 10, 11, ...
WString TrackDigits(int32_t number) {
    WString digits = Decimal(number);
    return digits.size() == 1 ? WTXT("0") + digits : digits;
}

WString TrackName(int32_t number) { return WTXT("track ") + TrackDigits(number); }

bool IsDigit(WCHAR c) { return c >= WTXT('0') && c <= WTXT('9'); }
bool IsBlank(WCHAR c) { return c == WTXT(' ') || c == WTXT('\t'); }
bool IsLineEnd(WCHAR c) { return c == WTXT('\r') || c == WTXT('\n'); }

size_t LineEnd(const WString& text, size_t from) {
    size_t end = from;
    while (end < text.size() && !IsLineEnd(text[end]))
        ++end;
    return end;
}

// Whether only blanks stand between the line's start and `at`.
bool StartsLine(const WString& text, size_t at) {
    while (at > 0 && IsBlank(text[at - 1]))
        --at;
    return at == 0 || IsLineEnd(text[at - 1]);
}

// "TRACK nn MODE" wherever it starts a line, whatever its mode or spelling.
struct TrackLine {
    size_t position;
    int64_t number;
    WString mode;  // its first 40 characters at most
};

std::vector<TrackLine> FindTrackLines(const WString& text) {
    std::vector<TrackLine> lines;
    const WString key = WTXT("TRACK ");
    for (size_t at = text.find(key); at != WString::npos; at = text.find(key, at + 1)) {
        if (!StartsLine(text, at))
            continue;
        size_t digit = at + key.size();
        size_t end = digit;
        int64_t number = 0;
        while (end < text.size() && IsDigit(text[end]) && end - digit < 9)
            number = number * 10 + (text[end++] - WTXT('0'));
        if (end == digit || end >= text.size() || !IsBlank(text[end]))
            continue;
        size_t mode = end + 1;
        size_t modeEnd = mode;
        while (modeEnd < text.size() && !IsBlank(text[modeEnd]) && !IsLineEnd(text[modeEnd]))
            ++modeEnd;
        lines.push_back({at, number, text.substr(mode, std::min<size_t>(modeEnd - mode, 40))});
    }
    return lines;
}

size_t CountFileLines(const WString& text) {
    size_t count = 0;
    const WString key = WTXT("FILE ");
    for (size_t at = text.find(key); at != WString::npos; at = text.find(key, at + 1))
        count += StartsLine(text, at) ? 1 : 0;
    return count;
}

bool FileExists(const WString& path) {
    HANDLE handle = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return false;
    CloseHandle(handle);
    return true;
}

// A stream of the same name beside the missing image: rippers name the file
// they ripped to (Album.wav) and the image is compressed afterwards.
WString StreamBeside(const WString& imagePath) {
    size_t name = imagePath.size();
    while (name > 0 && !IsPathSeparator(imagePath[name - 1]))
        --name;
    size_t dot = imagePath.rfind(WTXT('.'));
    WString stem = dot == WString::npos || dot < name ? imagePath : imagePath.substr(0, dot);
    for (const WCHAR* extension : {WTXT(".zem"), WTXT(".qrb"), WTXT(".ZEM"), WTXT(".QRB")}) {
        if (FileExists(stem + extension))
            return stem.substr(name) + extension;
    }
    return WString();
}

void CheckImage(const LinkPlan& plan, const WString& text, std::vector<LinkWarning>* warnings) {
    const WString& image = plan.sheet.imageFile;
    if (image.empty()) {
        warnings->push_back({LinkWarningKind::MissingImage, 0,
                             CountFileLines(text) > 0 ? WString(WTXT("the FILE line gives no name in double quotes: "
                                                                     "the links name no image"))
                                                      : WString(WTXT("no FILE line names an image"))});
        return;
    }
    if (plan.imageRefused) {
        warnings->push_back({LinkWarningKind::RemoteImage, 0,
                             WTXT("image ") + Quote(image) +
                                 WTXT(" is a network or device path: not opened, as it could send the user's "
                                      "credentials to another machine; players refuse such links, and blocks "
                                      "count at 44100 per second")});
        return;
    }
    const WString path = ResolveLinkImagePath(image, plan.folder.c_str());
    if (!FileExists(path)) {
        WString beside = StreamBeside(path);
        WString message = WTXT("image ") + Quote(image) + WTXT(" not found");
        if (!beside.empty())
            message += WTXT(", but ") + Quote(beside) + WTXT(" lies beside the cue sheet (the links name the missing file)");
        warnings->push_back({LinkWarningKind::MissingImage, 0, message});
        return;
    }
    int error = 0;
    if (!OpenDecoder(path.c_str(), &error) || error != 0)
        warnings->push_back({LinkWarningKind::MissingImage, 0,
                             WTXT("image ") + Quote(image) + WTXT(" is no ZEM stream: the links cannot play it, "
                                                                  "and blocks count at 44100 per second")});
}

void CheckFileLines(const LinkPlan& plan, const WString& text, std::vector<LinkWarning>* warnings) {
    size_t count = CountFileLines(text);
    if (count > 1)
        warnings->push_back({LinkWarningKind::SeveralImages, 0,
                             WTXT("the cue sheet has ") + Decimal(static_cast<int64_t>(count)) +
                                 WTXT(" FILE lines: every track points at the first image, ") +
                                 Quote(plan.sheet.imageFile)});
}

// MM:SS:FF as cue sheets write it (minutes of two digits or more), then
// nothing but blanks up to the line end.
bool IsCueTimeText(const WString& text, size_t from) {
    size_t at = from;
    size_t digits = 0;
    while (at < text.size() && IsDigit(text[at]))
        ++at, ++digits;
    if (digits < 2)
        return false;
    for (int field = 0; field < 2; ++field) {
        if (at + 3 > text.size() || text[at] != WTXT(':') || !IsDigit(text[at + 1]) || !IsDigit(text[at + 2]))
            return false;
        at += 3;
    }
    while (at < text.size() && IsBlank(text[at]))
        ++at;
    return at == text.size() || IsLineEnd(text[at]);
}

void CheckTrackTimes(const LinkPlan& plan, const WString& text, const std::vector<TrackLine>& lines,
                     std::vector<LinkWarning>* warnings) {
    const KeyIndex index01(text, WTXT("INDEX 01 "));
    const std::vector<size_t> positions = FindTrackKeys(text, kMaxCueTracks);
    for (const PlannedLink& link : plan.links) {
        const CueTrack& track = plan.sheet.tracks[link.trackIndex];
        const WString name = TrackName(track.number);
        size_t position = positions[static_cast<size_t>(track.number)];
        // The track's own lines run up to the next track line below it.
        auto next = std::upper_bound(lines.begin(), lines.end(), position,
                                     [](size_t at, const TrackLine& line) { return at < line.position; });
        size_t sectionEnd = next == lines.end() ? text.size() : next->position;
        size_t index = index01.FirstAtOrAfter(position);
        if (index == KeyIndex::npos || index >= sectionEnd) {
            warnings->push_back({LinkWarningKind::MissingIndex, track.number,
                                 name + WTXT(" has no INDEX 01 of its own: it starts at the next one in the sheet")});
        } else {
            size_t value = index + index01.KeyLength();
            const CueTime& start = track.start;
            if (!IsCueTimeText(text, value))
                warnings->push_back({LinkWarningKind::BadIndex, track.number,
                                     name + WTXT(": INDEX 01 ") + Excerpt(text, value, LineEnd(text, value)) +
                                         WTXT(" is not written MM:SS:FF")});
            else if (start.seconds >= 60 || start.frames >= 75)
                warnings->push_back({LinkWarningKind::BadIndex, track.number,
                                     name + WTXT(": INDEX 01 ") + Excerpt(text, value, LineEnd(text, value)) +
                                         WTXT(" has seconds above 59 or frames above 74")});
        }
        if (link.finishBlock && *link.finishBlock <= link.startBlock) {
            WString range = WTXT(" (blocks ") + Decimal(link.startBlock) + WTXT(" to ") + Decimal(*link.finishBlock) +
                            WTXT(")");
            warnings->push_back({LinkWarningKind::EmptyRange, track.number,
                                 name + (*link.finishBlock == link.startBlock ? WTXT(" is empty") : WTXT(" ends before it starts")) +
                                     range});
        }
    }
}

void CheckDroppedTracks(const LinkPlan& plan, const std::vector<TrackLine>& lines,
                        std::vector<LinkWarning>* warnings) {
    const int64_t last = static_cast<int64_t>(plan.sheet.tracks.size());
    std::set<int64_t> dropped;
    const WString audio = WTXT("AUDIO");
    const TrackLine* next = nullptr;
    for (const TrackLine& line : lines) {
        if (line.number == last + 1 && !next)
            next = &line;
        if (line.number > last && line.mode == audio)
            dropped.insert(line.number);
    }
    if (dropped.empty() || last == 0)
        return;
    const int32_t number = static_cast<int32_t>(last + 1);
    WString message = TrackName(number);
    if (next && next->mode != audio)
        message += WTXT(" is a data track (") + next->mode + WTXT(")");
    else
        message += WTXT(" is not found as ") + Quote(TrackKey(number));
    message += WTXT(": the ") + Decimal(static_cast<int64_t>(dropped.size())) +
               (dropped.size() == 1 ? WTXT(" audio track after it gets") : WTXT(" audio tracks after it get")) +
               WTXT(" no link file");
    warnings->push_back({LinkWarningKind::DroppedTracks, number, message});
}

#ifdef _WIN32
// Windows file names differ only when they differ beyond the case of letters.
WString NameKey(WString path) {
    std::transform(path.begin(), path.end(), path.begin(),
                   [](WCHAR c) { return c >= WTXT('a') && c <= WTXT('z') ? WCHAR(c - 32) : c; });
    return path;
}
#else
WString NameKey(const WString& path) { return path; }
#endif

void CheckNameCollisions(const LinkPlan& plan, std::vector<LinkWarning>* warnings) {
    std::map<WString, int32_t> named;
    for (const PlannedLink& link : plan.links) {
        if (!link.problem.empty())
            continue;
        const int32_t number = plan.sheet.tracks[link.trackIndex].number;
        auto [earlier, added] = named.emplace(NameKey(link.path), number);
        if (added)
            continue;
        WString file = link.path.substr(plan.folder.size());
        warnings->push_back({LinkWarningKind::NameCollision, number,
                             WTXT("tracks ") + TrackDigits(earlier->second) + WTXT(" and ") + TrackDigits(number) +
                                 WTXT(" are both named ") + Quote(file) + WTXT(": the later file replaces the earlier")});
        earlier->second = number;
    }
}

}  // namespace

std::vector<LinkWarning> CheckLinkPlan(const LinkPlan& plan, const WString& sheetText) {
    std::vector<LinkWarning> warnings;
    if (plan.sheet.tracks.empty())
        return warnings;
    const std::vector<TrackLine> lines = FindTrackLines(sheetText);
    CheckImage(plan, sheetText, &warnings);
    CheckFileLines(plan, sheetText, &warnings);
    CheckTrackTimes(plan, sheetText, lines, &warnings);
    CheckDroppedTracks(plan, lines, &warnings);
    CheckNameCollisions(plan, &warnings);
    return warnings;
}

}  // namespace zem
