#include "tools/zemfs/source_tree.h"

#include "link/link_file.h"
#include "tools/zemtool/file_names.h"

#include <dirent.h>

#include <cerrno>
#include <memory>

namespace zemfs {
namespace {

// Bounds on what is kept about sources; past them it is all learnt anew.
constexpr size_t kMaxProbes = 4096;
constexpr size_t kMaxLayouts = 4096;

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

bool ReadLayout(zem_decoder* decoder, WaveLayout* layout) {
    zem_stream_info info;
    if (zem_get_info(decoder, &info) != ZEM_OK)
        return false;
    const long header = zem_get_wav_header(decoder, nullptr, 0);
    const long trailer = zem_get_wav_trailer(decoder, nullptr, 0);
    if (header < 0 || trailer < 0)
        return false;
    layout->header.resize(static_cast<size_t>(header));
    layout->trailer.resize(static_cast<size_t>(trailer));
    if (zem_get_wav_header(decoder, layout->header.data(), layout->header.size()) != header ||
        zem_get_wav_trailer(decoder, layout->trailer.data(), layout->trailer.size()) != trailer)
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

std::string LinkImage(const std::string& linkPath) {
    CLinkFile link;
    link.ReadLinkFile(zemtool::LibraryPath(linkPath).c_str());
    return link.IsValid() ? zemtool::SystemPath(link.GetImagePath()) : std::string();
}

}  // namespace

bool FileStamp::operator==(const FileStamp& other) const {
    return device == other.device && inode == other.inode && size == other.size && seconds == other.seconds &&
           nanoseconds == other.nanoseconds;
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
        key += '\n' + path + ':' + std::to_string(stamp.device) + ':' + std::to_string(stamp.inode) + ':' +
               std::to_string(stamp.size) + ':' + std::to_string(stamp.seconds) + '.' +
               std::to_string(stamp.nanoseconds);
    return key;
}

zem_decoder* Node::OpenDecoder(int* error) const {
    return range ? zem_open_range(open.c_str(), start, finish, error) : zem_open(open.c_str(), error);
}

int SourceTree::CheckUnchanged(const Node& node) {
    for (const auto& [path, stamp] : node.sources) {
        FileStamp now;
        if (int error = StampFile(path, nullptr, &now))
            return error == -ENOENT ? -ENOENT : -EIO;
        if (now != stamp)
            return -EIO;
    }
    return 0;
}

const SourceTree::Probe& SourceTree::ProbeFile(const std::string& path, SourceKind kind) {
    FileStamp stamp;
    StampFile(path, nullptr, &stamp);
    auto found = m_probes.find(path);
    if (found != m_probes.end() && found->second.stamp == stamp) {
        const Probe& kept = found->second;
        FileStamp image;
        if (kept.image.empty() || (StampFile(kept.image, nullptr, &image) == 0 && image == kept.imageStamp))
            return kept;
    }
    if (m_probes.size() >= kMaxProbes)
        m_probes.clear();
    Probe probe;
    probe.stamp = stamp;
    if (kind == SourceKind::Link)
        probe.image = LinkImage(path);
    if (kind == SourceKind::CueSheet) {
        probe.plan = PlanCueFolder(path);
        probe.image = probe.plan.image;
    }
    if (!probe.image.empty())
        StampFile(probe.image, nullptr, &probe.imageStamp);
    if (kind == SourceKind::CueSheet) {
        int error = 0;
        zem_decoder* image = zem_open_range(probe.image.c_str(), -1, -1, &error);
        probe.opens = image != nullptr;
        zem_close(image);
    } else {
        int error = 0;
        zem_decoder* decoder = zem_open(path.c_str(), &error);
        probe.opens = decoder != nullptr;
        zem_close(decoder);
    }
    if (kind == SourceKind::Stream && probe.opens) {
        probe.plan = PlanImageCueFolder(path);
        probe.carriesCueSheet = !probe.plan.tracks.empty();
    }
    return m_probes[path] = std::move(probe);
}

std::vector<MountEntry> SourceTree::MapSourceFolder(const std::string& folder) {
    std::vector<SourceEntry> entries;
    std::unique_ptr<DIR, int (*)(DIR*)> dir(opendir(folder.c_str()), closedir);
    if (!dir)
        return {};
    while (dirent* item = readdir(dir.get())) {
        const std::string name = item->d_name;
        if (name == "." || name == "..")
            continue;
        struct stat status;
        if (stat(Join(folder, name).c_str(), &status) != 0)
            continue;  // a dangling link, or gone meanwhile
        if (!S_ISDIR(status.st_mode) && !S_ISREG(status.st_mode))
            continue;  // devices, sockets, FIFOs: nothing to read
        SourceEntry entry{name, KindOfName(name, S_ISDIR(status.st_mode))};
        if (entry.kind != SourceKind::Folder && entry.kind != SourceKind::Other) {
            const Probe& probe = ProbeFile(Join(folder, name), entry.kind);
            entry.imageFound = probe.opens;
            entry.carriesCueSheet = probe.carriesCueSheet;
            // A stream or link that does not open is shown as the file it is.
            if ((entry.kind == SourceKind::Stream || entry.kind == SourceKind::Link) && !probe.opens)
                entry.kind = SourceKind::Other;
        }
        entries.push_back(std::move(entry));
    }
    return MapFolder(entries);
}

Node SourceTree::FromEntry(const std::string& folder, const MountEntry& entry) {
    Node node;
    node.source = Join(folder, entry.source);
    FileStamp stamp;
    StampFile(node.source, &node.status, &stamp);
    switch (entry.role) {
    case MountRole::Folder: node.kind = Node::Kind::Folder; break;
    case MountRole::Plain: node.kind = Node::Kind::Plain; break;
    case MountRole::Wave: {
        node.kind = Node::Kind::Wave;
        node.open = node.source;
        node.sources.emplace_back(node.source, stamp);
        const Probe& probe = ProbeFile(node.source, KindOfName(entry.source, false));
        if (!probe.image.empty())
            node.sources.emplace_back(probe.image, probe.imageStamp);
        break;
    }
    case MountRole::CueFolder:
    case MountRole::ImageCueFolder: {
        node.kind = Node::Kind::TrackFolder;
        const bool cue = entry.role == MountRole::CueFolder;
        const Probe& probe = ProbeFile(node.source, cue ? SourceKind::CueSheet : SourceKind::Stream);
        node.sources.emplace_back(node.source, stamp);
        if (cue)
            node.sources.emplace_back(probe.image, probe.imageStamp);
        node.open = cue ? probe.image : node.source;
        node.tracks = probe.plan.tracks;
        break;
    }
    }
    return node;
}

int SourceTree::Resolve(const std::string& path, Node* node) {
    std::lock_guard<std::mutex> lock(m_mutex);
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
        const std::vector<MountEntry> entries = MapSourceFolder(current.source);
        const MountEntry* found = nullptr;
        for (const MountEntry& entry : entries) {
            if (entry.name == name)
                found = &entry;
        }
        if (!found)
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
    std::lock_guard<std::mutex> lock(m_mutex);
    for (const MountEntry& entry : MapSourceFolder(node.source))
        names->push_back(entry.name);
    return 0;
}

int SourceTree::Layout(const Node& node, WaveLayout* layout) {
    const std::string key = node.Key();
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        auto found = m_layouts.find(key);
        if (found != m_layouts.end()) {
            *layout = found->second;
            return 0;
        }
    }
    int error = 0;
    zem_decoder* decoder = node.OpenDecoder(&error);
    if (!decoder)
        return error == ZEM_ERROR_CANNOT_OPEN ? -ENOENT : -EIO;
    const bool read = ReadLayout(decoder, layout);
    zem_close(decoder);
    if (!read)
        return -EIO;
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_layouts.size() >= kMaxLayouts)
        m_layouts.clear();
    m_layouts[key] = *layout;
    return 0;
}

}  // namespace zemfs
