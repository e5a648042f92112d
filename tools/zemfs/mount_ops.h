// The FUSE operations of the read-only mount.
#pragma once

#define FUSE_USE_VERSION 31
#include <fuse.h>

#include <string>

namespace zemfs {

// Decoded frames kept at most (bytes), and decoders open at most. With
// frames of a few hundred kilobytes to about two megabytes and a decoder's
// own buffers, the whole process stays well under 64 MiB however many files
// are open.
constexpr size_t kFrameCacheBytes = 24u << 20;
constexpr size_t kMaxDecoders = 4;

// The operations for the source folder `source` (an absolute path).
fuse_operations MountOperations();
// Made once before fuse_main and dropped after it.
void StartMount(const std::string& source);
void EndMount();

}  // namespace zemfs
