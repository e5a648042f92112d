// The mount's tree as the source folder's tree seen through folder_names:
// resolves a mount path to what it shows and lists a mount folder. What a
// file shows is learnt once per version of its sources (a stream's WAV size,
// whether it carries a cue sheet, a cue sheet's tracks) and kept until one of
// them changes its size, time or identity.
#pragma once

#include "tools/zemfs/cue_tracks.h"
#include "tools/zemfs/folder_names.h"
#include "tools/zemfs/wave_file.h"

#include <zem/zem.h>

#include <sys/stat.h>

#include <map>
#include <mutex>
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
};

// stat() of `path`: 0 or a negative errno.
int StampFile(const std::string& path, struct stat* status, FileStamp* stamp);

struct Node {
    enum class Kind { Folder, Plain, Wave, TrackFolder };
    Kind kind = Kind::Folder;
    std::string source;  // the file or folder whose owner, mode and times it shows
    struct stat status = {};
    // A WAV: what the decoder opens, and every source whose change makes its bytes wrong.
    std::string open;
    bool range = false;  // open is an image, limited to start..finish
    int32_t start = -1;
    int32_t finish = -1;
    std::vector<std::pair<std::string, FileStamp>> sources;
    // A track folder's tracks.
    std::vector<TrackFile> tracks;

    // Names this version of the WAV: equal keys give equal bytes.
    std::string Key() const;
    zem_decoder* OpenDecoder(int* error) const;
};

class SourceTree {
public:
    explicit SourceTree(std::string root) : m_root(std::move(root)) {}

    // `path` is a mount path ("/", "/a/b.wav"). 0 or a negative errno.
    int Resolve(const std::string& path, Node* node);
    int List(const std::string& path, std::vector<std::string>* names);
    // The WAV's header, trailer and length, from the stream's header alone.
    int Layout(const Node& node, WaveLayout* layout);
    // 0 while the node's sources are as they were; -ENOENT for one that is
    // gone, -EIO for one that changed.
    static int CheckUnchanged(const Node& node);

private:
    struct Probe {
        FileStamp stamp;
        bool opens = false;             // a stream or link that opens
        std::string image;              // a link's or cue sheet's image
        FileStamp imageStamp;
        bool carriesCueSheet = false;   // a stream with a cue sheet in its tag
        CueFolderPlan plan;             // a cue sheet's (or carrying stream's) tracks
    };

    std::vector<MountEntry> MapSourceFolder(const std::string& folder);
    const Probe& ProbeFile(const std::string& path, SourceKind kind);
    Node FromEntry(const std::string& folder, const MountEntry& entry);

    const std::string m_root;
    std::mutex m_mutex;
    std::map<std::string, Probe> m_probes;
    std::map<std::string, WaveLayout> m_layouts;
};

}  // namespace zemfs
