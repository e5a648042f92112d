// SPDX-License-Identifier: BSD-3-Clause
#include "tools/zemfs/mount_args.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <memory>

namespace zemfs {

const char* const kZemfsUsage =
    "Usage: zemfs SOURCE MOUNTPOINT [-f] [-o OPTIONS]\n"
    "\n"
    "Shows the folder SOURCE at MOUNTPOINT, read-only, with its ZEM audio as WAV\n"
    "files that any player reads:\n"
    "  X.zem, X.qrb  as X.wav: what 'zemtool decode X.zem' writes\n"
    "  X.zlk         as X.wav: the link's track, as 'zemtool decode X.zlk' writes it\n"
    "  X.cue         as the folder X/, one WAV per track, named as Tessarine names\n"
    "                the track's link file (\"ARTIST - ALBUM - TRACK# - TITLE.wav\")\n"
    "  an image with a cue sheet in its tag (zemtool tag --set-cuesheet) also as\n"
    "                the folder X/\n"
    "  other files   as themselves\n"
    "Where two of these would share a name, each keeps its own extension\n"
    "(X.zem.wav, X.zlk.wav; the folders X.cue, X.zem). Nothing is written to\n"
    "SOURCE. Audio is decoded when read, frame by frame; a frame that fails its\n"
    "check makes the reads that touch it fail (EIO), and a source that changes\n"
    "while mounted gives EIO (or ENOENT when it is gone) until it is looked up\n"
    "anew; a change that leaves the WAV's bytes as they were (a tag edit, a\n"
    "touch) does not. A file made from a link or a cue sheet is shown with\n"
    "permissions no wider than its image's (see 'man zemfs', SECURITY, before\n"
    "using allow_other).\n"
    "\n"
    "Unmount with: fusermount3 -u MOUNTPOINT\n"
    "\n"
    "Options:\n"
    "  -f            stay in the foreground and log to standard error (without\n"
    "                it zemfs runs in the background and logs to the system log)\n"
    "  -o OPTIONS    mount options, comma-separated: zemfs's own below and\n"
    "                FUSE's (allow_other shows the files to every user, each\n"
    "                with permissions no wider than those of the files it is\n"
    "                made from; 'rw' is not taken: the mount is read-only)\n"
    "  --allow-outside-source, -o allow_outside_source\n"
    "                show links and cue sheets whose image lies outside SOURCE\n"
    "                (named by an absolute path or through '..'); without it\n"
    "                they are shown as the files they are, with a log line\n"
    "  --allow-remote-paths, -o allow_remote_paths\n"
    "                follow links and cue sheets that name a network or device\n"
    "                path (\\\\host\\share\\..., \\\\.\\..., \\\\?\\..., //host/...);\n"
    "                opening one can send the reader's credentials to that host\n"
    "  -d            FUSE's debug trace (implies -f)\n"
    "  -s            serve one request at a time\n"
    "  -h, --help    show this help\n"
    "  -V, --version show zemfs's version\n"
    "\n"
    "Exit status: 0 after unmounting, 1 when the mount fails (FUSE missing, ...),\n"
    "2 when the command line, SOURCE or MOUNTPOINT is wrong.\n";

namespace {

// Keeps zemfs's own options of one -o value and passes the others on.
void TakeOptions(const std::string& value, MountArgs* parsed) {
    std::string passed;
    size_t start = 0;
    while (start <= value.size()) {
        size_t end = value.find(',', start);
        if (end == std::string::npos)
            end = value.size();
        const std::string option = value.substr(start, end - start);
        if (option == "allow_outside_source")
            parsed->allowOutside = true;
        else if (option == "allow_remote_paths")
            parsed->allowRemote = true;
        else if (option == "rw")
            parsed->readWriteAsked = true;
        else if (!option.empty())
            passed += (passed.empty() ? "" : ",") + option;
        start = end + 1;
    }
    if (!passed.empty())
        parsed->options.push_back(passed);
}

}  // namespace

std::string ParseMountArgs(const std::vector<std::string>& args, MountArgs* parsed) {
    std::vector<std::string> positional;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "-h" || arg == "--help") {
            parsed->help = true;
        } else if (arg == "-V" || arg == "--version") {
            parsed->version = true;
        } else if (arg == "-f") {
            parsed->foreground = true;
        } else if (arg == "-d") {
            parsed->debug = parsed->foreground = true;
        } else if (arg == "-s") {
            parsed->singleThread = true;
        } else if (arg == "--allow-outside-source") {
            parsed->allowOutside = true;
        } else if (arg == "--allow-remote-paths") {
            parsed->allowRemote = true;
        } else if (arg == "-o") {
            if (i + 1 == args.size())
                return "-o needs mount options";
            TakeOptions(args[++i], parsed);
        } else if (arg.size() > 2 && arg.compare(0, 2, "-o") == 0) {
            TakeOptions(arg.substr(2), parsed);
        } else if (arg.size() > 1 && arg[0] == '-') {
            return "unknown option '" + arg + "'";
        } else {
            positional.push_back(arg);
        }
    }
    if (parsed->help || parsed->version)
        return {};
    if (positional.size() < 2)
        return positional.empty() ? "no SOURCE and MOUNTPOINT given" : "no MOUNTPOINT given";
    if (positional.size() > 2)
        return "unexpected argument '" + positional[2] + "'";
    parsed->source = positional[0];
    parsed->mountPoint = positional[1];
    return {};
}

namespace {

std::string FolderProblem(const std::string& what, const std::string& path) {
    struct stat status;
    if (stat(path.c_str(), &status) != 0)
        return what + " '" + path + "' cannot be used: " + std::strerror(errno);
    if (!S_ISDIR(status.st_mode))
        return what + " '" + path + "' is not a folder";
    return {};
}

}  // namespace

std::string CheckMountFolders(const MountArgs& args) {
    std::string problem = FolderProblem("SOURCE", args.source);
    if (problem.empty())
        problem = FolderProblem("MOUNTPOINT", args.mountPoint);
    if (!problem.empty())
        return problem;
    std::unique_ptr<DIR, int (*)(DIR*)> dir(opendir(args.mountPoint.c_str()), closedir);
    if (!dir)
        return "MOUNTPOINT '" + args.mountPoint + "' cannot be read: " + std::strerror(errno);
    while (dirent* entry = readdir(dir.get())) {
        if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0)
            return "MOUNTPOINT '" + args.mountPoint + "' is not empty";
    }
    return {};
}

std::string CheckFuseAvailable() {
    if (access("/dev/fuse", F_OK) != 0)
        return "FUSE is not available here: /dev/fuse is missing (is the fuse module loaded? in a "
               "container, pass --device /dev/fuse)";
    if (access("/dev/fuse", R_OK | W_OK) != 0 && access("/usr/bin/fusermount3", X_OK) != 0 &&
        access("/bin/fusermount3", X_OK) != 0)
        return "FUSE is not available here: /dev/fuse cannot be opened and fusermount3 is missing "
               "(install the fuse3 package)";
    return {};
}

}  // namespace zemfs
