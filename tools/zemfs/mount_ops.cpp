#include "tools/zemfs/mount_ops.h"

#include "tools/zemfs/decoder_pool.h"
#include "tools/zemfs/file_locks.h"
#include "tools/zemfs/frame_cache.h"
#include "tools/zemfs/frame_decode.h"
#include "tools/zemfs/log.h"
#include "tools/zemfs/source_tree.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <memory>

namespace zemfs {
namespace {

struct Mount {
    explicit Mount(const std::string& source) : tree(source), frames(kFrameCacheBytes), decoders(kMaxDecoders) {}
    SourceTree tree;
    FrameCache frames;
    DecoderPool decoders;
    FileLocks decoding;  // one frame of a file decoded at a time, so readers never decode one frame twice
};

std::unique_ptr<Mount> g_mount;

// What an open file reads from.
struct OpenFile {
    int fd = -1;  // a file shown as itself
    std::string path;
    Node node;
    WaveLayout layout;
    std::string key;
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

int GetAttr(const char* path, struct stat* status, fuse_file_info*) {
    Node node;
    if (int error = g_mount->tree.Resolve(path, &node))
        return error;
    *status = node.status;
    status->st_mode = ShownMode(node);
    status->st_nlink = S_ISDIR(status->st_mode) ? 2 : 1;
    if (node.kind == Node::Kind::TrackFolder)
        status->st_size = static_cast<off_t>(node.tracks.size());
    if (node.kind == Node::Kind::Wave) {
        WaveLayout layout;
        if (int error = g_mount->tree.Layout(node, &layout)) {
            LogLine(std::string(path) + ": cannot open " + node.open);
            return error;
        }
        status->st_size = static_cast<off_t>(layout.Size());
        status->st_blocks = static_cast<blkcnt_t>((layout.Size() + 511) / 512);
    }
    return 0;
}

int ReadDir(const char* path, void* buffer, fuse_fill_dir_t fill, off_t, fuse_file_info*, fuse_readdir_flags) {
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
    file->path = path;
    if (int error = g_mount->tree.Resolve(path, &file->node))
        return error;
    switch (file->node.kind) {
    case Node::Kind::Folder:
    case Node::Kind::TrackFolder: return -EISDIR;
    case Node::Kind::Plain:
        file->fd = open(file->node.source.c_str(), O_RDONLY | O_CLOEXEC);
        if (file->fd < 0)
            return -errno;
        break;
    case Node::Kind::Wave:
        if (int error = g_mount->tree.Layout(file->node, &file->layout))
            return error;
        file->key = file->node.Key();
        break;
    }
    info->fh = reinterpret_cast<uint64_t>(file.release());
    return 0;
}

// The frame that holds `block`: kept, or decoded now and kept.
int FetchFrame(const OpenFile& file, uint64_t block, DecodedFrame* frame) {
    Mount& mount = *g_mount;
    if (mount.frames.Find(file.key, block, frame))
        return 0;
    // Kernel read-ahead asks for the next pieces of a file on several threads
    // at once: the first decodes the frame, the others find it kept.
    const std::shared_ptr<std::mutex> decoding = mount.decoding.For(file.key);
    std::lock_guard<std::mutex> lock(*decoding);
    if (mount.frames.Find(file.key, block, frame))
        return 0;
    int error = 0;
    zem_decoder* decoder = mount.decoders.Borrow(
        file.key, block, [&file](int* e) { return file.node.OpenDecoder(e); }, &error);
    if (!decoder) {
        LogLine(file.path + ": cannot open " + file.node.open + ": " + zem_error_text(error));
        return error == ZEM_ERROR_CANNOT_OPEN ? -ENOENT : -EIO;
    }
    const int result = DecodeFrame(decoder, block, file.layout.blockAlign, frame);
    // A source changed while it was decoded: neither the bytes nor the decoder can be trusted.
    if (int changed = SourceTree::CheckUnchanged(file.node)) {
        mount.decoders.Discard(decoder);
        return changed;
    }
    mount.decoders.Return(file.key, decoder);
    if (result != ZEM_OK) {
        LogLine(file.path + ": the frame holding block " + std::to_string(block) + " of " + file.node.open +
                " cannot be decoded: " + zem_error_text(result));
        return -EIO;
    }
    mount.frames.Insert(file.key, *frame);
    return 0;
}

int Read(const char*, char* buffer, size_t size, off_t offset, fuse_file_info* info) {
    const OpenFile& file = *Opened(info);
    if (file.fd >= 0) {
        ssize_t got = pread(file.fd, buffer, size, offset);
        return got < 0 ? -errno : static_cast<int>(got);
    }
    if (int changed = SourceTree::CheckUnchanged(file.node)) {
        LogLine(file.path + ": " + (changed == -ENOENT ? "a source is gone: " : "a source changed: ") +
                file.node.open);
        return changed;
    }
    const long got = ReadWave(file.layout, static_cast<uint64_t>(offset), size, reinterpret_cast<uint8_t*>(buffer),
                              [&file](uint64_t block, DecodedFrame* frame) { return FetchFrame(file, block, frame); });
    return static_cast<int>(got);
}

int Release(const char*, fuse_file_info* info) {
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
    return nullptr;
}

}  // namespace

fuse_operations MountOperations() {
    fuse_operations ops;
    std::memset(&ops, 0, sizeof ops);
    ops.getattr = GetAttr;
    ops.readdir = ReadDir;
    ops.open = Open;
    ops.read = Read;
    ops.release = Release;
    ops.init = Init;
    return ops;
}

void StartMount(const std::string& source) { g_mount = std::make_unique<Mount>(source); }

void EndMount() { g_mount.reset(); }

}  // namespace zemfs
