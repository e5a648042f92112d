// SPDX-License-Identifier: BSD-3-Clause
// The command line of zemfs: SOURCE MOUNTPOINT [-f] [-o options].
#pragma once

#include <string>
#include <vector>

namespace zemfs {

struct MountArgs {
    std::string source;
    std::string mountPoint;
    bool foreground = false;
    bool debug = false;        // -d: FUSE's own trace, in the foreground
    bool singleThread = false; // -s
    bool help = false;
    bool version = false;
    std::vector<std::string> options;  // each -o value without zemfs's own, passed on to FUSE
    bool allowOutside = false;  // --allow-outside-source, -o allow_outside_source
    bool allowRemote = false;   // --allow-remote-paths, -o allow_remote_paths
    bool readWriteAsked = false;  // -o rw, which is not taken: the mount is always read-only
};

// Returns an empty text, or what is wrong with the arguments.
std::string ParseMountArgs(const std::vector<std::string>& args, MountArgs* parsed);

// An empty text when SOURCE is a folder and MOUNTPOINT an empty folder,
// else what is wrong (the mount is then refused with exit status 2).
std::string CheckMountFolders(const MountArgs& args);

// An empty text when FUSE can be used here, else why not.
std::string CheckFuseAvailable();

extern const char* const kZemfsUsage;

}  // namespace zemfs
