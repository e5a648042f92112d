// SPDX-License-Identifier: BSD-3-Clause
// The FUSE operations of the read-only mount.
#pragma once

#define FUSE_USE_VERSION 312
#include <fuse.h>
#include <fuse_lowlevel.h>

#include "tools/zemfs/source_tree.h"

#include <string>

namespace zemfs {

// Decoded frames kept at most (bytes), and decoders open at most. With
// frames of a few hundred kilobytes to about two megabytes and a decoder's
// own buffers, the whole process stays well under 64 MiB however many files
// are open.
constexpr size_t kFrameCacheBytes = 24u << 20;
constexpr size_t kMaxDecoders = 4;
// Threads serving requests at most.
constexpr unsigned kMaxThreads = 8;
// Sequential readers get this many frames decoded ahead, on this many threads.
constexpr unsigned kReadAheadFrames = 2;
constexpr unsigned kReadAheadThreads = 2;

fuse_operations MountOperations();
// The source folder `source` (an absolute path) is set up before the FUSE
// loop starts and dropped after it ends.
void StartMount(const std::string& source, const TreeOptions& options);
void EndMount();

}  // namespace zemfs
