// SPDX-License-Identifier: BSD-3-Clause
#include "tools/zemfs/folder_names.h"

#include <algorithm>
#include <map>

namespace zemfs {
namespace {

std::string LowerExtension(const std::string& name) {
    const size_t dot = name.rfind('.');
    std::string extension = dot == std::string::npos ? std::string() : name.substr(dot);
    for (char& c : extension) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return extension;
}

std::string Stem(const std::string& name) {
    const size_t dot = name.rfind('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

// A folder made from ".cue", "..cue" or "...cue" would be named "", "." or
// "..": no folder can hold such an entry, so it keeps its source's name.
std::string FolderName(const std::string& name) {
    const std::string stem = Stem(name);
    return stem.empty() || stem == "." || stem == ".." ? name : stem;
}

struct Candidate {
    MountEntry entry;
    std::string distinct;  // the name it takes when its own is shared
    bool made = false;
};

std::vector<Candidate> Candidates(const std::vector<SourceEntry>& entries) {
    std::vector<Candidate> candidates;
    for (const SourceEntry& source : entries) {
        const std::string& name = source.name;
        switch (source.kind) {
        case SourceKind::Folder: candidates.push_back({{name, MountRole::Folder, name}, name, false}); break;
        case SourceKind::Stream:
            candidates.push_back({{Stem(name) + ".wav", MountRole::Wave, name}, name + ".wav", true});
            if (source.carriesCueSheet)
                candidates.push_back({{FolderName(name), MountRole::ImageCueFolder, name}, name, true});
            break;
        case SourceKind::Link:
            candidates.push_back({{Stem(name) + ".wav", MountRole::Wave, name}, name + ".wav", true});
            break;
        case SourceKind::CueSheet:
            if (source.imageFound) {
                candidates.push_back({{FolderName(name), MountRole::CueFolder, name}, name, true});
                break;
            }
            candidates.push_back({{name, MountRole::Plain, name}, name, false});
            break;
        case SourceKind::Other: candidates.push_back({{name, MountRole::Plain, name}, name, false}); break;
        }
    }
    return candidates;
}

}  // namespace

SourceKind KindOfName(const std::string& name, bool isFolder) {
    if (isFolder)
        return SourceKind::Folder;
    const std::string extension = LowerExtension(name);
    if (extension == ".zem" || extension == ".qrb")
        return SourceKind::Stream;
    if (extension == ".zlk")
        return SourceKind::Link;
    if (extension == ".cue")
        return SourceKind::CueSheet;
    return SourceKind::Other;
}

std::vector<MountEntry> MapFolder(const std::vector<SourceEntry>& entries, std::vector<std::string>* dropped) {
    std::vector<Candidate> candidates = Candidates(entries);
    std::map<std::string, int> wanted;
    for (const Candidate& candidate : candidates)
        ++wanted[candidate.entry.name];
    for (Candidate& candidate : candidates) {
        if (candidate.made && wanted[candidate.entry.name] > 1)
            candidate.entry.name = candidate.distinct;
    }
    // Entries that keep their names go first, so a made one never hides them.
    std::stable_sort(candidates.begin(), candidates.end(),
                     [](const Candidate& a, const Candidate& b) { return !a.made && b.made; });
    std::map<std::string, MountEntry> taken;
    for (Candidate& candidate : candidates) {
        if (!taken.emplace(candidate.entry.name, candidate.entry).second && dropped)
            dropped->push_back(candidate.entry.source);
    }
    std::vector<MountEntry> result;
    for (auto& [name, entry] : taken)
        result.push_back(std::move(entry));
    return result;
}

std::string TrackFileName(const std::string& linkFileName) {
    const std::string extension = ".zlk";
    if (linkFileName.size() >= extension.size() &&
        linkFileName.compare(linkFileName.size() - extension.size(), extension.size(), extension) == 0)
        return linkFileName.substr(0, linkFileName.size() - extension.size()) + ".wav";
    return linkFileName + ".wav";
}

}  // namespace zemfs
