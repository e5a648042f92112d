// zemfs SOURCE MOUNTPOINT [-f] [-o options]: ZEM audio as WAV files, read-only, through FUSE.
#include "tools/zemfs/log.h"
#include "tools/zemfs/mount_args.h"
#include "tools/zemfs/mount_ops.h"

#include <zem/zem.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

int Refuse(const std::string& problem, int status) {
    std::fprintf(stderr, "zemfs: %s\n", problem.c_str());
    if (status == 2)
        std::fprintf(stderr, "Try 'zemfs --help'.\n");
    return status;
}

std::string Absolute(const std::string& path) {
    char resolved[PATH_MAX];
    return realpath(path.c_str(), resolved) ? std::string(resolved) : path;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace zemfs;
    MountArgs args;
    const std::string problem = ParseMountArgs(std::vector<std::string>(argv + 1, argv + argc), &args);
    if (args.help) {
        std::fputs(kZemfsUsage, stdout);
        return 0;
    }
    if (args.version) {
        std::printf("zemfs %s (libzem %s)\n", ZEM_VERSION_TEXT, zem_version());
        return 0;
    }
    if (!problem.empty())
        return Refuse(problem, 2);
    const std::string folders = CheckMountFolders(args);
    if (!folders.empty())
        return Refuse(folders, 2);
    const std::string fuse = CheckFuseAvailable();
    if (!fuse.empty())
        return Refuse(fuse, 1);

    // The daemon leaves the working folder, so the source is kept absolute.
    const std::string source = Absolute(args.source);
    std::vector<std::string> fuseArgs = {"zemfs", args.mountPoint, "-o",
                                         "ro,default_permissions,fsname=zemfs,subtype=zemfs"};
    for (const std::string& options : args.options) {
        fuseArgs.push_back("-o");
        fuseArgs.push_back(options);
    }
    if (args.foreground)
        fuseArgs.push_back("-f");
    if (args.debug)
        fuseArgs.push_back("-d");
    if (args.singleThread)
        fuseArgs.push_back("-s");
    std::vector<char*> fuseArgv;
    for (std::string& arg : fuseArgs)
        fuseArgv.push_back(&arg[0]);
    fuseArgv.push_back(nullptr);

    UseSystemLog(!args.foreground);
    StartMount(source);
    const fuse_operations ops = MountOperations();
    const int status = fuse_main(static_cast<int>(fuseArgs.size()), fuseArgv.data(), &ops, nullptr);
    EndMount();
    return status == 0 ? 0 : 1;
}
