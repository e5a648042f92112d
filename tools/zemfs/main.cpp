// SPDX-License-Identifier: BSD-3-Clause
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

// fuse_main without its thread-count message: parse, mount, go to the
// background unless -f, serve on a few threads, unmount.
int Serve(std::vector<char*>& argv) {
    fuse_args args = FUSE_ARGS_INIT(static_cast<int>(argv.size()) - 1, argv.data());
    fuse_cmdline_opts options;
    if (fuse_parse_cmdline(&args, &options) != 0)
        return 1;
    int status = 1;
    const fuse_operations ops = zemfs::MountOperations();
    fuse* mount = fuse_new(&args, &ops, sizeof ops, nullptr);
    if (mount && fuse_mount(mount, options.mountpoint) == 0) {
        fuse_session* session = fuse_get_session(mount);
        if (fuse_daemonize(options.foreground) == 0 && fuse_set_signal_handlers(session) == 0) {
            if (options.singlethread) {
                status = fuse_loop(mount);
            } else {
                fuse_loop_config* config = fuse_loop_cfg_create();
                fuse_loop_cfg_set_max_threads(config, zemfs::kMaxThreads);
                fuse_loop_cfg_set_idle_threads(config, zemfs::kMaxThreads);
                status = fuse_loop_mt(mount, config);
                fuse_loop_cfg_destroy(config);
            }
            fuse_remove_signal_handlers(session);
        }
        fuse_unmount(mount);
    }
    if (mount)
        fuse_destroy(mount);
    free(options.mountpoint);
    fuse_opt_free_args(&args);
    return status == 0 ? 0 : 1;
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
    // Last, so that no option given before makes the mount writable.
    fuseArgs.push_back("-o");
    fuseArgs.push_back("ro");
    if (args.readWriteAsked)
        std::fprintf(stderr, "zemfs: the mount is read-only; 'rw' is not taken\n");
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
    StartMount(source, {args.allowOutside, args.allowRemote});
    const int status = Serve(fuseArgv);
    EndMount();
    return status;
}
