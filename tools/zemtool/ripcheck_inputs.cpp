// SPDX-License-Identifier: BSD-3-Clause
#include "tools/zemtool/ripcheck_inputs.h"

#include "tools/zemtool/file_names.h"
#include "tools/zemtool/sheet_text.h"
#include "tools/zemtool/tool_failure.h"

#include <zem/zem.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>

namespace zemtool {
namespace {

namespace fs = std::filesystem;

fs::path SystemFsPath(const std::string& utf8) { return fs::u8path(utf8); }

std::string Utf8Of(const fs::path& path) { return path.u8string(); }

struct SheetCueCloser {
    void operator()(zem_cue* cue) const { zem_cue_close(cue); }
};
using SheetCuePtr = std::unique_ptr<zem_cue, SheetCueCloser>;

bool ValidTime(int minutes, int seconds, int frames) {
    return minutes >= 0 && minutes < 1000 && seconds >= 0 && seconds < 60 && frames >= 0 && frames < 75;
}

// The image as the sheet's FILE line names it.
std::string ImageAsWritten(const std::string& text) {
    int error = 0;
    const SheetCuePtr cue(zem_cue_parse(text.data(), text.size(), 0, &error));
    return cue ? zem_cue_image(cue.get()) : "";
}

// The numbers of the sheet's data tracks ("TRACK 03 MODE1/2352").
std::vector<int> DataTracks(const std::string& utf8) {
    std::vector<int> numbers;
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
    const bool inImage = extension == ".zem" || extension == ".qrb";
    if (!CanOpenFile(path)) {
        result.problem = (inImage ? "cannot open image " : "cannot open cue sheet ") + Quoted(path);
        return result;
    }
    const std::string text = inImage ? SheetInTag(path) : SheetFileText(path);
    if (inImage && text.empty()) {
        result.problem = Quoted(path) + " carries no cue sheet in its tag";
        return result;
    }
    // The tracks' times as written: sectors count at the rate of a CD, whatever the image holds.
    int error = 0;
    const SheetCuePtr cue(inImage ? zem_cue_parse(text.data(), text.size(), 0, &error)
                                  : zem_cue_open(path.c_str(), &error));
    result.dataTracks = DataTracks(text);
    if (inImage) {
        result.image = path;
    } else if (cue) {
        result.image = zem_cue_image(cue.get());
        if (!CanOpenFile(result.image)) {
            const std::string beside = StreamBeside(result.image);
            if (beside.empty()) {
                result.problem = "image " + Quoted(ImageAsWritten(text)) + " not found";
                return result;
            }
            result.image = beside;
        }
    }
    if (!cue) {
        result.problem = Quoted(path) + " lists no audio track (no TRACK 01 AUDIO)";
        return result;
    }
    for (int i = 0, count = zem_cue_track_count(cue.get()); i < count; ++i) {
        zem_cue_track track = {};
        int minutes = 0, seconds = 0, frames = 0;
        zem_cue_get_track(cue.get(), i, &track);
        zem_cue_track_time(cue.get(), i, &minutes, &seconds, &frames);
        if (!ValidTime(minutes, seconds, frames)) {
            result.problem = "track " + std::to_string(track.number) + " has no INDEX 01 written MM:SS:FF";
            return result;
        }
        result.numbers.push_back(track.number);
        result.startSectors.push_back(static_cast<uint32_t>((minutes * 60 + seconds) * 75 + frames));
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
