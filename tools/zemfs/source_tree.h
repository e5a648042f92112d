// SPDX-License-Identifier: BSD-3-Clause
// The mount's tree as the source folder's tree seen through folder_names:
// resolves a mount path to what it shows and lists a mount folder. What a
// file shows is learnt once per version of its sources (a stream's WAV size,
// whether it carries a cue sheet, a cue sheet's tracks) and kept until one of
// them changes its size, time or identity; a folder's names are kept while
// the folder is unchanged. Files are read and examined without the tree's
// lock held: it guards only what is kept, and each kind of thing kept has a
// bound, past which the least recently used goes first.
#pragma once

#include "tools/zemfs/cue_tracks.h"
#include "tools/zemfs/folder_names.h"
#include "tools/zemfs/lru_map.h"
#include "tools/zemfs/wave_file.h"

#include <zem/zem.h>

#include <sys/stat.h>

#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace zemfs {

// What tells one version of a source file from another.
struct FileStamp {
    uint64_t device = 0;
    uint64_t inode = 0;
    int64_t size = 0;
    int64_t seconds = 0;
    int64_t nanoseconds = 0;

    bool operator==(const FileStamp& other) const;
    bool operator!=(const FileStamp& other) const { return !(*this == other); }
    std::string Text() const;
};

// stat() of `path`: 0 or a negative errno.
int StampFile(const std::string& path, struct stat* status, FileStamp* stamp);

struct Node {
    enum class Kind { Folder, Plain, Wave, TrackFolder };
    Kind kind = Kind::Folder;
    std::string source;  // the file or folder whose owner and times it shows
    struct stat status = {};  // its mode no wider than that of any file it reads
    // A WAV: what the decoder opens, the stream that holds its audio, and
    // every source whose change can make its bytes wrong.
    std::string open;
    std::string stream;
    bool range = false;  // open is an image, limited to start..finish
    int32_t start = -1;
    int32_t finish = -1;
    unsigned openFlags = 0;  // ZEM_OPEN_* for the decoder
    std::vector<std::pair<std::string, FileStamp>> sources;
    // A track folder's tracks.
    std::vector<TrackFile> tracks;

    // Names this version of the WAV: equal keys give equal bytes.
    std::string Key() const;
    zem_decoder* OpenDecoder(int* error) const;
};

// What a mount allows beyond its own folder.
struct TreeOptions {
    bool allowOutside = false;  // images outside SOURCE
    bool allowRemote = false;   // images on network or device paths
};

// One version of a WAV file.
struct WaveVersion {
    WaveLayout layout;
};

// What identifies each source of a node (in its order), as SourceFingerprint.
using Fingerprints = std::vector<std::optional<uint64_t>>;

class SourceTree {
public:
    explicit SourceTree(std::string root, TreeOptions options = {});

    // `path` is a mount path ("/", "/a/b.wav"). 0 or a negative errno.
    int Resolve(const std::string& path, Node* node);
    int List(const std::string& path, std::vector<std::string>* names);
    // The WAV's header, trailer and length, from the stream's header alone;
    // shared with every other holder of this version.
    int Layout(const Node& node, std::shared_ptr<const WaveVersion>* version);
    // What identifies the node's sources as they are now (learnt when a file
    // is opened, and kept for each version of a source).
    Fingerprints Identify(const Node& node);
    // 0 while the node's sources are as they were when `prints` were taken,
    // or changed only where the WAV's bytes do not come from (a tag edit, a
    // touch); -ENOENT for one that is gone, -EIO for one whose change reaches
    // the bytes. `changed` receives the source that did. `now`, when given,
    // receives a text that differs from the empty one after accepted changes.
    int CheckUnchanged(const Node& node, const Fingerprints& prints, std::string* changed, std::string* now = nullptr);

    // The bytes of WAV headers and trailers held in memory by what is kept
    // and by everything still holding one (each counted once).
    uint64_t HeldPartBytes();

private:
    struct Probe {
        FileStamp stamp;
        bool opens = false;             // a stream or link that opens
        std::string image;              // a link's or cue sheet's image
        FileStamp imageStamp;
        bool carriesCueSheet = false;   // a stream with a cue sheet in its tag
        CueFolderPlan plan;             // a cue sheet's (or carrying stream's) tracks
    };
    using Entries = std::shared_ptr<const std::vector<MountEntry>>;
    struct Folder {
        FileStamp stamp;
        int64_t changeSeconds = 0;
        int64_t changeNanoseconds = 0;
        std::chrono::steady_clock::time_point read;
        Entries entries;  // by name
    };
    using Part = std::shared_ptr<const std::vector<uint8_t>>;

    Entries FolderEntries(const std::string& folder);
    std::shared_ptr<const Probe> ProbeFile(const std::string& path, SourceKind kind);
    Probe MakeProbe(const std::string& path, SourceKind kind, const FileStamp& stamp);
    // An empty text when the image `asWritten` (the library's form) and
    // `image` (the system's) may be read for `path`, else why not.
    std::string RefuseImage(const std::string& asWritten, const std::string& image) const;
    Node FromEntry(const std::string& folder, const MountEntry& entry);
    int ReadVersion(const Node& node, WaveVersion* version);
    int ReadVersionFrom(zem_decoder* decoder, const Node& node, WaveVersion* version);
    void KeepVersion(const std::string& key, const std::shared_ptr<const WaveVersion>& version);
    Part SharedPart(const std::string& key, const std::function<bool(std::vector<uint8_t>*)>& read);
    std::optional<uint64_t> Fingerprint(const std::string& path, const FileStamp& stamp);

    const std::string m_root;
    const TreeOptions m_options;
    std::mutex m_mutex;
    LruMap<Folder> m_folders;
    LruMap<std::shared_ptr<const Probe>> m_probes;
    LruMap<std::shared_ptr<const WaveVersion>> m_versions;
    LruMap<std::optional<uint64_t>> m_fingerprints;
    // Headers and trailers held, each once, by whoever holds them.
    std::map<std::string, std::weak_ptr<const std::vector<uint8_t>>> m_parts;
    size_t m_partsPruned = 0;  // how many were left after the last sweep of the expired
};

}  // namespace zemfs
