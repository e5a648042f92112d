// SPDX-License-Identifier: BSD-3-Clause
// Folder listing and renaming with POSIX calls, for running the renamer's
// core on Linux.
#include "extorra/native/native_file_system.h"

#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>

namespace extorra {

namespace {

std::string To_Posix(std::string path) {
    std::replace(path.begin(), path.end(), '\\', '/');
    return path;
}

bool Is_Real_Directory(const std::string& path) {
    struct stat info {};
    return lstat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

class Posix_Folder_Listing : public Folder_Listing {
public:
    Posix_Folder_Listing(DIR* dir, std::string folder) : m_dir(dir), m_folder(std::move(folder)) {}
    ~Posix_Folder_Listing() override { closedir(m_dir); }
    Posix_Folder_Listing(const Posix_Folder_Listing&) = delete;
    Posix_Folder_Listing& operator=(const Posix_Folder_Listing&) = delete;

    bool Next(Folder_Entry& entry) override {
        const dirent* found = readdir(m_dir);
        if (found == nullptr)
            return false;
        entry.name = found->d_name;
        if (found->d_type == DT_UNKNOWN)
            entry.is_directory = Is_Real_Directory(m_folder + entry.name);
        else
            entry.is_directory = found->d_type == DT_DIR;
        return true;
    }

private:
    DIR* m_dir;
    std::string m_folder;
};

bool Same_File(const std::string& first, const std::string& second) {
    struct stat a {}, b {};
    return lstat(first.c_str(), &a) == 0 && lstat(second.c_str(), &b) == 0 && a.st_dev == b.st_dev &&
           a.st_ino == b.st_ino;
}

bool Exists(const std::string& path) {
    struct stat info {};
    return lstat(path.c_str(), &info) == 0;
}

// Checks, then renames: only for file systems that cannot refuse atomically.
bool Move_After_Check(const std::string& from, const std::string& to) {
    if (Exists(to) && !Same_File(from, to))
        return false;
    return rename(from.c_str(), to.c_str()) == 0;
}

}  // namespace

std::unique_ptr<Folder_Listing> Native_Folder_Lister::Open(const std::string& folder) {
    std::string path = To_Posix(folder);
    DIR* dir = opendir(path.c_str());
    if (dir == nullptr)
        return nullptr;
    return std::make_unique<Posix_Folder_Listing>(dir, path);
}

bool Native_File_Mover::Move(const std::string& from, const std::string& to) {
    std::string source = To_Posix(from);
    std::string target = To_Posix(to);
#ifdef RENAME_NOREPLACE
    if (renameat2(AT_FDCWD, source.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno == EEXIST)
        return Same_File(source, target) && rename(source.c_str(), target.c_str()) == 0;
    if (errno != EINVAL && errno != ENOSYS)
        return false;
#endif
    return Move_After_Check(source, target);
}

}  // namespace extorra
