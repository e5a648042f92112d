// SPDX-License-Identifier: BSD-3-Clause
#include "tools/zemfs/source_tree.h"

#include "tools/zemfs/log.h"
#include "tools/zemfs/source_access.h"
#include "tools/zemfs/stream_facts.h"

#include <zem/zem.h>

#include <dirent.h>

#include <algorithm>
#include <cerrno>

namespace zemfs {
namespace {

// Bounds on what is kept about sources, in bytes (roughly, for what is not
// audio); past them the least recently used goes. A folder's names cost about
// a hundred bytes each, a probe a few hundred.
constexpr size_t kFolderBytes = 16u << 20;
constexpr size_t kProbeBytes = 16u << 20;
constexpr size_t kVersionBytes = 16u << 20;
constexpr size_t kFingerprintBytes = 1u << 20;
// A WAV trailer larger than this stays in its stream file and is read from
// there; a header this large is shared by every file made from its stream.
constexpr uint64_t kHeldTrailerBytes = 256u << 10;
constexpr uint64_t kSharedHeaderBytes = 4096;
// A folder's names are read anew when it changes, and at the latest after
// this long (a stream may gain a cue sheet in its tag in place).
constexpr std::chrono::seconds kFolderFresh(2);

std::string Join(const std::string& folder, const std::string& name) {
    return folder.empty() || folder.back() == '/' ? folder + name : folder + "/" + name;
}

std::vector<std::string> Components(const std::string& path) {
    std::vector<std::string> parts;
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find('/', start);
        if (end == std::string::npos)
            end = path.size();
        if (end > start)
            parts.push_back(path.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

bool ReadGrid(zem_decoder* decoder, WaveLayout* layout) {
    zem_stream_info info;
    if (zem_get_info(decoder, &info) != ZEM_OK)
        return false;
    layout->blocks = info.total_blocks;
    layout->blockAlign = info.block_align;
    layout->grid = {};
    if (info.total_blocks == 0)
        return true;
    FrameGrid& grid = layout->grid;
    uint64_t first = 0;
    uint64_t end = 0;
    if (zem_get_frame(decoder, 0, nullptr, &grid.firstEnd) != ZEM_OK ||
        zem_get_frame(decoder, info.total_blocks - 1, &grid.lastFirst, nullptr) != ZEM_OK)
        return false;
    if (grid.firstEnd < grid.lastFirst) {
        if (zem_get_frame(decoder, grid.firstEnd, &first, &end) != ZEM_OK)
            return false;
        grid.perFrame = end - first;
    }
    return true;
}

zem_decoder* OpenWithFlags(const std::string& path, unsigned flags, int* error) {
    return zem_open_ex(path.c_str(), flags, error, nullptr, 0);
}

unsigned OpenFlags(const TreeOptions& options) { return options.allowRemote ? ZEM_OPEN_ALLOW_REMOTE_PATHS : 0u; }

size_t EntriesCost(const std::vector<MountEntry>& entries) {
    size_t cost = 128;
    for (const MountEntry& entry : entries)
        cost += sizeof entry + entry.name.size() + entry.source.size();
    return cost;
}

}  // namespace

bool FileStamp::operator==(const FileStamp& other) const {
    return device == other.device && inode == other.inode && size == other.size && seconds == other.seconds &&
           nanoseconds == other.nanoseconds;
}

std::string FileStamp::Text() const {
    return std::to_string(device) + ':' + std::to_string(inode) + ':' + std::to_string(size) + ':' +
           std::to_string(seconds) + '.' + std::to_string(nanoseconds);
}

int StampFile(const std::string& path, struct stat* status, FileStamp* stamp) {
    struct stat local;
    struct stat* s = status ? status : &local;
    if (stat(path.c_str(), s) != 0)
        return -errno;
    *stamp = {static_cast<uint64_t>(s->st_dev), static_cast<uint64_t>(s->st_ino), static_cast<int64_t>(s->st_size),
              static_cast<int64_t>(s->st_mtim.tv_sec), static_cast<int64_t>(s->st_mtim.tv_nsec)};
    return 0;
}

std::string Node::Key() const {
    std::string key = open + '\n' + std::to_string(range) + ':' + std::to_string(start) + ':' + std::to_string(finish);
    for (const auto& [path, stamp] : sources)
        key += '\n' + path + ':' + stamp.Text();
    return key;
}

zem_decoder* Node::OpenDecoder(int* error) const {
    return range ? zem_open_range(open.c_str(), start, finish, error) : OpenWithFlags(open, openFlags, error);
}

SourceTree::SourceTree(std::string root, TreeOptions options)
    : m_root(std::move(root)), m_options(options), m_folders(kFolderBytes), m_probes(kProbeBytes),
      m_versions(kVersionBytes), m_fingerprints(kFingerprintBytes) {}

std::string SourceTree::RefuseImage(const std::string& asWritten, const std::string& image) const {
    if (IsRemotePath(asWritten)) {
        if (m_options.allowRemote)
            return {};
        return "its image '" + asWritten +
               "' is a network or device path, which zemfs does not follow (a file could send the "
               "reader's credentials to any host; --allow-remote-paths follows such paths)";
    }
    if (!m_options.allowOutside && !LiesInside(m_root, image))
        return "its image '" + image +
               "' lies outside SOURCE, which zemfs does not show (--allow-outside-source shows it)";
    return {};
}

SourceTree::Probe SourceTree::MakeProbe(const std::string& path, SourceKind kind, const FileStamp& stamp) {
    Probe probe;
    probe.stamp = stamp;
    std::string asWritten;
    if (kind == SourceKind::Link) {
        const long length = zem_link_read(path.c_str(), nullptr, 0, nullptr, nullptr);
        if (length >= 0) {
            std::string image(static_cast<size_t>(length) + 1, '\0');
            if (zem_link_read(path.c_str(), &image[0], image.size(), nullptr, nullptr) == length) {
                image.resize(static_cast<size_t>(length));
                probe.image = image;
                asWritten = image;
            }
        }
    }
    if (kind == SourceKind::CueSheet) {
        probe.plan = PlanCueFolder(path);
        probe.image = probe.plan.image;
        asWritten = probe.plan.imageAsWritten;
    }
    if (!probe.image.empty()) {
        const std::string refusal = RefuseImage(asWritten, probe.image);
        if (!refusal.empty()) {
            LogLine(path + ": " + refusal);
            return probe;  // shown as the file it is
        }
        StampFile(probe.image, nullptr, &probe.imageStamp);
    }
    int error = 0;
    zem_decoder* decoder = kind == SourceKind::CueSheet ? zem_open_range(probe.image.c_str(), -1, -1, &error)
                                                        : OpenWithFlags(path, OpenFlags(m_options), &error);
    probe.opens = decoder != nullptr;
    // The stream's own WAV is learnt on the decoder at hand, as FromEntry will ask for it.
    if (kind == SourceKind::Stream && decoder) {
        Node wave;
        wave.open = wave.stream = path;
        wave.sources.emplace_back(path, stamp);
        auto version = std::make_shared<WaveVersion>();
        if (ReadVersionFrom(decoder, wave, version.get()) == 0)
            KeepVersion(wave.Key(), version);
    }
    // Only a stream whose tag has a sheet is read for it.
    if (kind == SourceKind::Stream && decoder && zem_get_tag(decoder, "Cuesheet")) {
        probe.plan = PlanImageCueFolder(path);
        probe.carriesCueSheet = !probe.plan.tracks.empty();
    }
    zem_close(decoder);
    if (probe.opens) {
        for (const std::string& line : probe.plan.leftOut)
            LogLine(path + ": " + line + "; left out");
    }
    return probe;
}

std::shared_ptr<const SourceTree::Probe> SourceTree::ProbeFile(const std::string& path, SourceKind kind) {
    FileStamp stamp;
    StampFile(path, nullptr, &stamp);
    std::shared_ptr<const Probe> kept;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (const auto* found = m_probes.Find(path))
            kept = *found;
    }
    if (kept && kept->stamp == stamp) {
        FileStamp image;
        if (kept->image.empty() || (StampFile(kept->image, nullptr, &image) == 0 && image == kept->imageStamp))
            return kept;
    }
    auto probe = std::make_shared<const Probe>(MakeProbe(path, kind, stamp));
    size_t cost = sizeof(Probe) + path.size() + probe->image.size();
    for (const TrackFile& track : probe->plan.tracks)
        cost += sizeof track + track.name.size();
    std::lock_guard<std::mutex> lock(m_mutex);
    m_probes.Put(path, probe, cost);
    return probe;
}

SourceTree::Entries SourceTree::FolderEntries(const std::string& folder) {
    struct stat status;
    FileStamp stamp;
    if (StampFile(folder, &status, &stamp) != 0)
        return std::make_shared<const std::vector<MountEntry>>();
    const auto now = std::chrono::steady_clock::now();
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        const Folder* kept = m_folders.Find(folder);
        if (kept && kept->stamp == stamp && kept->changeSeconds == status.st_ctim.tv_sec &&
            kept->changeNanoseconds == status.st_ctim.tv_nsec && now - kept->read < kFolderFresh)
            return kept->entries;
    }
    std::vector<SourceEntry> entries;
    std::unique_ptr<DIR, int (*)(DIR*)> dir(opendir(folder.c_str()), closedir);
    if (!dir)
        return std::make_shared<const std::vector<MountEntry>>();
    while (dirent* item = readdir(dir.get())) {
        const std::string name = item->d_name;
        if (name == "." || name == "..")
            continue;
        struct stat entryStatus;
        if (stat(Join(folder, name).c_str(), &entryStatus) != 0)
            continue;  // a dangling link, or gone meanwhile
        if (!S_ISDIR(entryStatus.st_mode) && !S_ISREG(entryStatus.st_mode))
            continue;  // devices, sockets, FIFOs: nothing to read
        SourceEntry entry{name, KindOfName(name, S_ISDIR(entryStatus.st_mode))};
        if (entry.kind != SourceKind::Folder && entry.kind != SourceKind::Other) {
            const std::shared_ptr<const Probe> probe = ProbeFile(Join(folder, name), entry.kind);
            entry.imageFound = probe->opens;
            entry.carriesCueSheet = probe->carriesCueSheet;
            // A stream or link that does not open is shown as the file it is.
            if ((entry.kind == SourceKind::Stream || entry.kind == SourceKind::Link) && !probe->opens)
                entry.kind = SourceKind::Other;
        }
        entries.push_back(std::move(entry));
    }
    auto mapped = std::make_shared<const std::vector<MountEntry>>(MapFolder(entries));
    Folder kept{stamp, static_cast<int64_t>(status.st_ctim.tv_sec), static_cast<int64_t>(status.st_ctim.tv_nsec), now,
                mapped};
    std::lock_guard<std::mutex> lock(m_mutex);
    m_folders.Put(folder, std::move(kept), EntriesCost(*mapped));
    return mapped;
}

Node SourceTree::FromEntry(const std::string& folder, const MountEntry& entry) {
    Node node;
    node.source = Join(folder, entry.source);
    node.openFlags = OpenFlags(m_options);
    FileStamp stamp;
    StampFile(node.source, &node.status, &stamp);
    std::string image;
    switch (entry.role) {
    case MountRole::Folder: node.kind = Node::Kind::Folder; break;
    case MountRole::Plain: node.kind = Node::Kind::Plain; break;
    case MountRole::Wave: {
        node.kind = Node::Kind::Wave;
        node.open = node.stream = node.source;
        node.sources.emplace_back(node.source, stamp);
        const std::shared_ptr<const Probe> probe = ProbeFile(node.source, KindOfName(entry.source, false));
        if (!probe->image.empty()) {
            node.sources.emplace_back(probe->image, probe->imageStamp);
            node.stream = image = probe->image;
        }
        break;
    }
    case MountRole::CueFolder:
    case MountRole::ImageCueFolder: {
        node.kind = Node::Kind::TrackFolder;
        const bool cue = entry.role == MountRole::CueFolder;
        const std::shared_ptr<const Probe> probe =
            ProbeFile(node.source, cue ? SourceKind::CueSheet : SourceKind::Stream);
        node.sources.emplace_back(node.source, stamp);
        if (cue) {
            node.sources.emplace_back(probe->image, probe->imageStamp);
            image = probe->image;
        }
        node.open = node.stream = cue ? probe->image : node.source;
        node.tracks = probe->plan.tracks;
        break;
    }
    }
    // What is made from a link or a sheet shows no more than its image lets read.
    struct stat imageStatus;
    if (!image.empty()) {
        if (stat(image.c_str(), &imageStatus) == 0)
            node.status.st_mode = NarrowMode(node.status, imageStatus);
        else
            node.status.st_mode &= ~static_cast<mode_t>(0777);
    }
    return node;
}

int SourceTree::Resolve(const std::string& path, Node* node) {
    Node current;
    current.source = m_root;
    FileStamp stamp;
    if (int error = StampFile(m_root, &current.status, &stamp))
        return error;
    for (const std::string& name : Components(path)) {
        if (current.kind == Node::Kind::TrackFolder) {
            const TrackFile* track = nullptr;
            for (const TrackFile& candidate : current.tracks) {
                if (candidate.name == name)
                    track = &candidate;
            }
            if (!track)
                return -ENOENT;
            Node wave = current;
            wave.kind = Node::Kind::Wave;
            wave.tracks.clear();
            wave.range = true;
            wave.start = track->start;
            wave.finish = track->finish;
            current = std::move(wave);
            continue;
        }
        if (current.kind != Node::Kind::Folder)
            return -ENOTDIR;
        const Entries entries = FolderEntries(current.source);
        auto found = std::lower_bound(
            entries->begin(), entries->end(), name,
            [](const MountEntry& entry, const std::string& key) { return entry.name < key; });
        if (found == entries->end() || found->name != name)
            return -ENOENT;
        current = FromEntry(current.source, *found);
    }
    *node = std::move(current);
    return 0;
}

int SourceTree::List(const std::string& path, std::vector<std::string>* names) {
    Node node;
    if (int error = Resolve(path, &node))
        return error;
    if (node.kind == Node::Kind::TrackFolder) {
        for (const TrackFile& track : node.tracks)
            names->push_back(track.name);
        return 0;
    }
    if (node.kind != Node::Kind::Folder)
        return -ENOTDIR;
    for (const MountEntry& entry : *FolderEntries(node.source))
        names->push_back(entry.name);
    return 0;
}

SourceTree::Part SourceTree::SharedPart(const std::string& key,
                                        const std::function<bool(std::vector<uint8_t>*)>& read) {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        auto found = m_parts.find(key);
        if (found != m_parts.end()) {
            if (Part held = found->second.lock())
                return held;
        }
    }
    auto bytes = std::make_shared<std::vector<uint8_t>>();
    if (!read(bytes.get()))
        return nullptr;
    Part part = std::move(bytes);
    std::lock_guard<std::mutex> lock(m_mutex);
    // Swept when they have doubled since the last sweep: a few steps per part.
    if (m_parts.size() >= 2 * m_partsPruned + 16) {
        for (auto it = m_parts.begin(); it != m_parts.end();)
            it = it->second.expired() ? m_parts.erase(it) : std::next(it);
        m_partsPruned = m_parts.size();
    }
    auto [it, added] = m_parts.emplace(key, part);
    if (!added) {
        if (Part held = it->second.lock())
            return held;  // read meanwhile by another thread
        it->second = part;
    }
    return part;
}

int SourceTree::ReadVersion(const Node& node, WaveVersion* version) {
    int error = 0;
    zem_decoder* decoder = node.OpenDecoder(&error);
    if (!decoder)
        return error == ZEM_ERROR_CANNOT_OPEN ? -ENOENT : -EIO;
    std::unique_ptr<zem_decoder, void (*)(zem_decoder*)> closer(decoder, zem_close);
    return ReadVersionFrom(decoder, node, version);
}

int SourceTree::ReadVersionFrom(zem_decoder* decoder, const Node& node, WaveVersion* version) {
    WaveLayout& layout = version->layout;
    const long header = zem_get_wav_header(decoder, nullptr, 0);
    const long trailer = zem_get_wav_trailer(decoder, nullptr, 0);
    if (header < 0 || trailer < 0 || !ReadGrid(decoder, &layout))
        return -EIO;
    // A large header or any trailer is the stream's own, the same for every
    // file made from this version of it.
    std::string stream = node.stream + '\n';
    for (const auto& [path, stamp] : node.sources) {
        if (path == node.stream)
            stream += stamp.Text();
    }
    const uint64_t headerBytes = static_cast<uint64_t>(header);
    const uint64_t trailerBytes = static_cast<uint64_t>(trailer);
    const std::string headerKey =
        headerBytes >= kSharedHeaderBytes ? stream + "\nheader " + std::to_string(header) : node.Key() + "\nheader";
    layout.header = WavePart::Held(SharedPart(headerKey, [&](std::vector<uint8_t>* bytes) {
        bytes->resize(headerBytes);
        return zem_get_wav_header(decoder, bytes->data(), bytes->size()) == header;
    }));
    if (!layout.header.held)
        return -EIO;
    if (trailerBytes > kHeldTrailerBytes) {
        const std::optional<TrailerPlace> place = FindTrailer(node.stream, trailerBytes);
        if (!place)
            return -EIO;
        layout.trailer.file = node.stream;
        layout.trailer.offset = place->offset;
        layout.trailer.size = place->size;
    } else if (trailerBytes > 0) {
        layout.trailer = WavePart::Held(SharedPart(stream + "\ntrailer", [&](std::vector<uint8_t>* bytes) {
            bytes->resize(trailerBytes);
            return zem_get_wav_trailer(decoder, bytes->data(), bytes->size()) == trailer;
        }));
        if (!layout.trailer.held)
            return -EIO;
    }
    return 0;
}

int SourceTree::Layout(const Node& node, std::shared_ptr<const WaveVersion>* version) {
    const std::string key = node.Key();
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (const auto* found = m_versions.Find(key)) {
            *version = *found;
            return 0;
        }
    }
    auto made = std::make_shared<WaveVersion>();
    if (int error = ReadVersion(node, made.get()))
        return error;
    *version = made;
    KeepVersion(key, made);
    return 0;
}

void SourceTree::KeepVersion(const std::string& key, const std::shared_ptr<const WaveVersion>& version) {
    const size_t cost = sizeof(WaveVersion) + 2 * key.size() + version->layout.header.HeldBytes() +
                        version->layout.trailer.HeldBytes() + version->layout.trailer.file.size();
    std::lock_guard<std::mutex> lock(m_mutex);
    m_versions.Put(key, version, cost);
}

std::optional<uint64_t> SourceTree::Fingerprint(const std::string& path, const FileStamp& stamp) {
    const std::string key = path + '\n' + stamp.Text();
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (const auto* found = m_fingerprints.Find(key))
            return *found;
    }
    const std::optional<uint64_t> print = SourceFingerprint(path);
    // Kept only when the file stayed as it was while it was read.
    FileStamp after;
    if (StampFile(path, nullptr, &after) == 0 && after == stamp) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_fingerprints.Put(key, print, 64 + 2 * key.size());
    }
    return print;
}

Fingerprints SourceTree::Identify(const Node& node) {
    Fingerprints prints;
    for (const auto& [path, stamp] : node.sources)
        prints.push_back(Fingerprint(path, stamp));
    return prints;
}

int SourceTree::CheckUnchanged(const Node& node, const Fingerprints& prints, std::string* changed, std::string* now) {
    for (size_t i = 0; i < node.sources.size(); ++i) {
        const auto& [path, stamp] = node.sources[i];
        FileStamp current;
        if (int error = StampFile(path, nullptr, &current)) {
            *changed = path;
            return error == -ENOENT ? -ENOENT : -EIO;
        }
        if (current == stamp)
            continue;
        const std::optional<uint64_t> print = Fingerprint(path, current);
        if (!print || i >= prints.size() || prints[i] != print) {
            *changed = path;
            return -EIO;
        }
        if (now)
            *now += '\n' + path + ':' + current.Text();
    }
    return 0;
}

uint64_t SourceTree::HeldPartBytes() {
    std::lock_guard<std::mutex> lock(m_mutex);
    uint64_t bytes = 0;
    for (const auto& [key, part] : m_parts) {
        if (Part held = part.lock())
            bytes += held->size();
    }
    return bytes;
}

}  // namespace zemfs
