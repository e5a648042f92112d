// SPDX-License-Identifier: BSD-3-Clause
#include "tools/zemfs/mount_ops.h"

#include "tools/zemfs/frame_source.h"
#include "tools/zemfs/guarded.h"
#include "tools/zemfs/log.h"
#include "tools/zemfs/read_ahead.h"
#include "tools/zemfs/source_tree.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <memory>

namespace zemfs {
namespace {

struct Mount {
    Mount(const std::string& source, const TreeOptions& options)
        : tree(source, options), frames(tree, kFrameCacheBytes, kMaxDecoders),
          readAhead(frames, kReadAheadThreads) {}
    SourceTree tree;
    FrameSource frames;
    ReadAhead readAhead;
};

std::unique_ptr<Mount> g_mount;

// What an open file reads from: a file shown as itself, or a WAV.
struct OpenFile {
    int fd = -1;
    std::shared_ptr<const WaveSource> wave;  // shared with the read-ahead
    std::atomic<uint64_t> nextOffset{0};     // where a sequential reader reads next
};

OpenFile* Opened(const fuse_file_info* info) { return reinterpret_cast<OpenFile*>(info->fh); }

// Read-only: the write bits go; folders made from cue sheets are listable.
mode_t ShownMode(const Node& node) {
    const mode_t readable = node.status.st_mode & 0444;
    switch (node.kind) {
    case Node::Kind::Folder: return S_IFDIR | (node.status.st_mode & 0555);
    case Node::Kind::TrackFolder: return S_IFDIR | readable | (readable >> 2);
    case Node::Kind::Plain:
    case Node::Kind::Wave: break;
    }
    return S_IFREG | readable;
}

int GetAttr(const char* path, struct stat* status) {
    Node node;
    if (int error = g_mount->tree.Resolve(path, &node))
        return error;
    *status = node.status;
    status->st_mode = ShownMode(node);
    status->st_nlink = S_ISDIR(status->st_mode) ? 2 : 1;
    if (node.kind == Node::Kind::TrackFolder)
        status->st_size = static_cast<off_t>(node.tracks.size());
    if (node.kind == Node::Kind::Wave) {
        std::shared_ptr<const WaveVersion> version;
        if (int error = g_mount->tree.Layout(node, &version)) {
            LogLine(std::string(path) + ": cannot open " + node.open);
            return error;
        }
        const uint64_t size = version->layout.Size();
        status->st_size = static_cast<off_t>(size);
        status->st_blocks = static_cast<blkcnt_t>((size + 511) / 512);
    }
    return 0;
}

int ReadDir(const char* path, void* buffer, fuse_fill_dir_t fill) {
    std::vector<std::string> names;
    if (int error = g_mount->tree.List(path, &names))
        return error;
    fill(buffer, ".", nullptr, 0, static_cast<fuse_fill_dir_flags>(0));
    fill(buffer, "..", nullptr, 0, static_cast<fuse_fill_dir_flags>(0));
    for (const std::string& name : names)
        fill(buffer, name.c_str(), nullptr, 0, static_cast<fuse_fill_dir_flags>(0));
    return 0;
}

int Open(const char* path, fuse_file_info* info) {
    if ((info->flags & O_ACCMODE) != O_RDONLY)
        return -EROFS;
    auto file = std::make_unique<OpenFile>();
    auto wave = std::make_shared<WaveSource>();
    wave->path = path;
    if (int error = g_mount->tree.Resolve(path, &wave->node))
        return error;
    switch (wave->node.kind) {
    case Node::Kind::Folder:
    case Node::Kind::TrackFolder: return -EISDIR;
    case Node::Kind::Plain:
        file->fd = open(wave->node.source.c_str(), O_RDONLY | O_CLOEXEC);
        if (file->fd < 0)
            return -errno;
        break;
    case Node::Kind::Wave:
        if (int error = g_mount->tree.Layout(wave->node, &wave->version))
            return error;
        wave->prints = g_mount->tree.Identify(wave->node);
        wave->key = wave->node.Key();
        file->wave = std::move(wave);
        // Every read comes here, at its own offset and length, rather than
        // page by page through the kernel's cache: a damaged frame then fails
        // exactly the reads that touch it, and no read skips the check that
        // the sources are unchanged. The frame cache serves the small reads.
        info->direct_io = 1;
        break;
    }
    info->fh = reinterpret_cast<uint64_t>(file.release());
    return 0;
}

// A reader that goes on where it stopped gets the next frames decoded ahead.
void ReadOn(OpenFile& file, uint64_t offset, uint64_t end) {
    if (file.nextOffset.exchange(end) != offset || end == offset)
        return;
    const WaveLayout& layout = file.wave->layout();
    const uint64_t audioStart = layout.header.size;
    if (end <= audioStart || end >= audioStart + layout.AudioBytes())
        return;
    uint64_t block = (end - audioStart) / layout.blockAlign;
    for (unsigned ahead = 0; ahead < kReadAheadFrames && block < layout.blocks; ++ahead) {
        block = FrameOf(layout.grid, layout.blocks, block).end;
        if (block < layout.blocks)
            g_mount->readAhead.Ask(file.wave, block);
    }
}

int Read(char* buffer, size_t size, off_t offset, fuse_file_info* info) {
    OpenFile& file = *Opened(info);
    if (file.fd >= 0) {
        ssize_t got = pread(file.fd, buffer, size, offset);
        return got < 0 ? -errno : static_cast<int>(got);
    }
    const WaveSource& wave = *file.wave;
    std::string changed;
    if (int error = g_mount->tree.CheckUnchanged(wave.node, wave.prints, &changed)) {
        LogLine(wave.path + ": " + changed + (error == -ENOENT ? " is gone" : " changed"));
        return error;
    }
    const uint64_t start = static_cast<uint64_t>(offset);
    const long got = ReadWave(wave.layout(), start, size, reinterpret_cast<uint8_t*>(buffer),
                              [&wave](uint64_t block, DecodedFrame* frame) {
                                  return g_mount->frames.Fetch(wave, block, frame);
                              });
    if (got > 0)
        ReadOn(file, start, start + static_cast<uint64_t>(got));
    return static_cast<int>(got);
}

int Release(fuse_file_info* info) {
    std::unique_ptr<OpenFile> file(Opened(info));
    if (file->fd >= 0)
        close(file->fd);
    return 0;
}

void* Init(fuse_conn_info*, fuse_config* config) {
    // Sizes and names change only with the sources; a second is fresh enough.
    config->entry_timeout = 1;
    config->attr_timeout = 1;
    config->negative_timeout = 1;
    g_mount->readAhead.Start();
    return nullptr;
}

void Destroy(void*) { g_mount->readAhead.Stop(); }

}  // namespace

fuse_operations MountOperations() {
    fuse_operations ops;
    std::memset(&ops, 0, sizeof ops);
    ops.getattr = [](const char* path, struct stat* status, fuse_file_info*) {
        return Guarded(path, [&] { return GetAttr(path, status); });
    };
    ops.readdir = [](const char* path, void* buffer, fuse_fill_dir_t fill, off_t, fuse_file_info*,
                     fuse_readdir_flags) { return Guarded(path, [&] { return ReadDir(path, buffer, fill); }); };
    ops.open = [](const char* path, fuse_file_info* info) { return Guarded(path, [&] { return Open(path, info); }); };
    ops.read = [](const char* path, char* buffer, size_t size, off_t offset, fuse_file_info* info) {
        return Guarded(path, [&] { return Read(buffer, size, offset, info); });
    };
    ops.release = [](const char* path, fuse_file_info* info) { return Guarded(path, [&] { return Release(info); }); };
    ops.init = Init;
    ops.destroy = Destroy;
    return ops;
}

void StartMount(const std::string& source, const TreeOptions& options) {
    g_mount = std::make_unique<Mount>(source, options);
}

void EndMount() { g_mount.reset(); }

}  // namespace zemfs
