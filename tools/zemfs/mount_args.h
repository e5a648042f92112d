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
    std::vector<std::string> options;  // each -o value, passed on to FUSE
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
