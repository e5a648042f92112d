// SPDX-License-Identifier: BSD-3-Clause
#include "tools/zemtool/ripcheck_inputs.h"

#include "link/link_file.h"
#include "cue/cue_sheet.h"
#include "cue/embedded_cue_sheet.h"
#include "tools/zemtool/file_names.h"
#include "tools/zemtool/tool_failure.h"
#include "tools/zemtool/utf_text.h"

#include <algorithm>
#include <filesystem>
#include <fstream>

namespace zemtool {
namespace {

namespace fs = std::filesystem;

fs::path SystemFsPath(const std::string& utf8) { return fs::u8path(utf8); }

std::string Utf8Of(const fs::path& path) { return path.u8string(); }

uint32_t Sectors(const CueTime& time) {
    return static_cast<uint32_t>((time.minutes * 60 + time.seconds) * 75 + time.frames);
}

bool ValidTime(const CueTime& time) {
    return time.minutes >= 0 && time.minutes < 1000 && time.seconds >= 0 && time.seconds < 60 && time.frames >= 0 &&
           time.frames < 75;
}

// The numbers of the sheet's data tracks ("TRACK 03 MODE1/2352").
std::vector<int> DataTracks(const WString& text) {
    std::vector<int> numbers;
    const std::string utf8 = Utf8FromWide(text);
    for (size_t at = utf8.find("TRACK "); at != std::string::npos; at = utf8.find("TRACK ", at + 1)) {
        size_t digits = at + 6;
        while (digits < utf8.size() && utf8[digits] == ' ')
            ++digits;
        size_t end = digits;
        while (end < utf8.size() && end - digits < 3 && utf8[end] >= '0' && utf8[end] <= '9')
            ++end;
        if (end > digits && utf8.compare(end, 5, " MODE") == 0)
            numbers.push_back(std::stoi(utf8.substr(digits, end - digits)));
    }
    return numbers;
}

void SplitName(const std::string& path, RipcheckSheet* sheet) {
    const fs::path fsPath = SystemFsPath(path);
    sheet->folder = Utf8Of(fsPath.parent_path());
    sheet->stem = Utf8Of(fsPath.stem());
}

// Rippers name the file they ripped to (Album.wav); the image is compressed afterwards.
std::string StreamBeside(const std::string& image) {
    fs::path path = SystemFsPath(image);
    for (const char* extension : {".zem", ".qrb", ".ZEM", ".QRB"}) {
        path.replace_extension(extension);
        if (CanOpenFile(Utf8Of(path)))
            return Utf8Of(path);
    }
    return {};
}

}  // namespace

RipcheckSheet ReadRipcheckSheet(const std::string& path) {
    RipcheckSheet result;
    SplitName(path, &result);
    const std::string extension = LowerExtension(path);
    CueSheet sheet;
    if (extension == ".zem" || extension == ".qrb") {
        if (!CanOpenFile(path)) {
            result.problem = "cannot open image " + Quoted(path);
            return result;
        }
        const WString text = ReadEmbeddedCueSheet(LibraryPath(path).c_str());
        if (text.empty()) {
            result.problem = Quoted(path) + " carries no cue sheet in its tag";
            return result;
        }
        sheet = ParseCueSheetText(text);
        result.dataTracks = DataTracks(text);
        result.image = path;
    } else {
        if (!CanOpenFile(path)) {
            result.problem = "cannot open cue sheet " + Quoted(path);
            return result;
        }
        const WString libraryPath = LibraryPath(path);
        const WString text = ReadCueSheetText(libraryPath.c_str());
        sheet = ParseCueSheetText(text);
        result.dataTracks = DataTracks(text);
        result.image = SystemPath(ResolveLinkImagePath(sheet.imageFile, libraryPath.c_str()).c_str());
        if (!CanOpenFile(result.image)) {
            const std::string beside = StreamBeside(result.image);
            if (beside.empty()) {
                result.problem = "image " + Quoted(Utf8FromWide(sheet.imageFile)) + " not found";
                return result;
            }
            result.image = beside;
        }
    }
    if (sheet.tracks.empty()) {
        result.problem = Quoted(path) + " lists no audio track (no TRACK 01 AUDIO)";
        return result;
    }
    for (const CueTrack& track : sheet.tracks) {
        if (!ValidTime(track.start)) {
            result.problem = "track " + std::to_string(track.number) + " has no INDEX 01 written MM:SS:FF";
            return result;
        }
        result.numbers.push_back(track.number);
        result.startSectors.push_back(Sectors(track.start));
    }
    return result;
}

std::string FindLogBeside(const RipcheckSheet& sheet, std::string* note) {
    const fs::path folder = sheet.folder.empty() ? fs::path(".") : SystemFsPath(sheet.folder);
    const fs::path same = folder / SystemFsPath(sheet.stem + ".log");
    std::error_code error;
    if (fs::is_regular_file(same, error))
        return Utf8Of(same);
    std::vector<std::string> logs;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        std::string extension = Utf8Of(it->path().extension());
        std::transform(extension.begin(), extension.end(), extension.begin(),
                       [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; });
        if (extension == ".log" && it->is_regular_file(error))
            logs.push_back(Utf8Of(it->path()));
    }
    if (logs.size() == 1)
        return logs.front();
    if (logs.size() > 1)
        *note = std::to_string(logs.size()) + " logs lie beside the sheet and none is named like it; give one with --log";
    return {};
}

bool ReadWholeFile(const std::string& path, size_t limit, std::vector<uint8_t>* bytes) {
    std::ifstream file(SystemFsPath(path), std::ios::binary);
    if (!file)
        return false;
    bytes->clear();
    char buffer[65536];
    while (file.read(buffer, sizeof buffer) || file.gcount() > 0) {
        bytes->insert(bytes->end(), buffer, buffer + file.gcount());
        if (bytes->size() > limit)
            return false;
    }
    return !file.bad();
}

}  // namespace zemtool
