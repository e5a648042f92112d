// SPDX-License-Identifier: BSD-3-Clause
// Names any folder might hold, of every kind, through zemfs's folder naming:
// every entry shown has a name a folder can hold, no two share one, files and
// folders shown as themselves keep their names, and every source is either
// shown or reported as left out.
#include "fuzz/fuzz_input.h"
#include "tools/zemfs/folder_names.h"

#include <algorithm>
#include <set>
#include <string>
#include <vector>

namespace {

using zemfs::MountEntry;
using zemfs::MountRole;
using zemfs::SourceEntry;
using zemfs::SourceKind;

// One byte of kind and flags, then the name up to a newline. Names a folder
// cannot hold ("", ".", "..", a '/' or a NUL in them) or holds once already are skipped.
std::vector<SourceEntry> ReadEntries(const uint8_t* data, size_t size) {
    std::vector<SourceEntry> entries;
    std::set<std::string> seen;
    size_t at = 0;
    while (at < size) {
        const uint8_t flags = data[at++];
        std::string name;
        while (at < size && data[at] != '\n')
            name.push_back(static_cast<char>(data[at++]));
        ++at;
        if (name.empty() || name == "." || name == ".." || name.find('/') != std::string::npos ||
            name.find('\0') != std::string::npos || !seen.insert(name).second)
            continue;
        SourceEntry entry;
        entry.name = name;
        // Mostly the kind the name gives, as the mount finds it; sometimes any.
        const bool folder = (flags & 0x40) != 0;
        entry.kind = (flags & 0x80) ? static_cast<SourceKind>(flags % 5) : zemfs::KindOfName(name, folder);
        entry.imageFound = (flags & 0x20) != 0;
        entry.carriesCueSheet = (flags & 0x10) != 0;
        entries.push_back(entry);
    }
    return entries;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > fuzzing::kMaxInputBytes)
        return 0;
    const std::vector<SourceEntry> entries = ReadEntries(data, size);
    std::vector<std::string> dropped;
    const std::vector<MountEntry> shown = zemfs::MapFolder(entries, &dropped);
    std::set<std::string> sources;
    for (size_t i = 0; i < shown.size(); ++i) {
        const std::string& name = shown[i].name;
        FUZZ_REQUIRE(!name.empty() && name != "." && name != "..");
        FUZZ_REQUIRE(name.find('/') == std::string::npos && name.find('\0') == std::string::npos);
        FUZZ_REQUIRE(i == 0 || shown[i - 1].name < name);
        sources.insert(shown[i].source);
    }
    for (const SourceEntry& entry : entries) {
        const bool kept = entry.kind == SourceKind::Folder || entry.kind == SourceKind::Other ||
                          (entry.kind == SourceKind::CueSheet && !entry.imageFound);
        if (kept) {
            const auto found = std::find_if(shown.begin(), shown.end(),
                                            [&](const MountEntry& m) { return m.name == entry.name; });
            FUZZ_REQUIRE(found != shown.end() && found->source == entry.name);
            FUZZ_REQUIRE(found->role == (entry.kind == SourceKind::Folder ? MountRole::Folder : MountRole::Plain));
        }
        FUZZ_REQUIRE(sources.count(entry.name) ||
                     std::find(dropped.begin(), dropped.end(), entry.name) != dropped.end());
        const std::string track = zemfs::TrackFileName(entry.name);
        FUZZ_REQUIRE(track.size() >= 4 && track.compare(track.size() - 4, 4, ".wav") == 0);
    }
    return 0;
}
