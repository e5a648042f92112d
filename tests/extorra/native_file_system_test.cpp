// SPDX-License-Identifier: BSD-3-Clause
// The platform's own listing and renaming, and whole runs on real folders.
#include "extorra/native/native_file_system.h"

#include "extorra/core/file_io_module.h"
#include "extorra/core/rename_job.h"
#include "tests/extorra/extorra_fakes.h"
#include "tests/support/test_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using namespace extorra;
using extorra_test::Scripted_Ui;
using testing_support::BytesOf;
using testing_support::ReadFileBytes;
using testing_support::TempDir;
using testing_support::WriteFileBytes;
using Strings = std::vector<std::string>;

// The renamer's own form of a path inside the temporary folder.
std::string Renamer_Path(const TempDir& dir, const std::string& relative = std::string()) {
    std::string path = dir.Path().string() + "\\" + relative;
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

void Make_File(const TempDir& dir, const std::string& relative, const std::string& content = "x") {
    fs::path path = dir.File(relative);
    fs::create_directories(path.parent_path());
    WriteFileBytes(path, BytesOf(content));
}

// Names of every file below the folder, relative and with forward slashes, sorted.
Strings Files_On_Disk(const TempDir& dir) {
    Strings files;
    for (const auto& entry : fs::recursive_directory_iterator(dir.Path())) {
        if (entry.is_regular_file())
            files.push_back(fs::relative(entry.path(), dir.Path()).generic_string());
    }
    std::sort(files.begin(), files.end());
    return files;
}

Strings Listed_Names(Folder_Lister& lister, const std::string& folder, Strings* directories = nullptr) {
    Strings names;
    auto listing = lister.Open(folder);
    if (!listing)
        return names;
    Folder_Entry entry;
    while (listing->Next(entry)) {
        names.push_back(entry.name);
        if (entry.is_directory && directories != nullptr)
            directories->push_back(entry.name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

TEST(NativeLister, ListsFilesFoldersAndTheDotEntries) {
    TempDir dir;
    Make_File(dir, "a.qrb");
    Make_File(dir, ".hidden.qrb");
    fs::create_directory(dir.File("sub.qrb"));
    Native_Folder_Lister lister;
    Strings directories;
    EXPECT_EQ(Listed_Names(lister, Renamer_Path(dir), &directories),
              (Strings{".", "..", ".hidden.qrb", "a.qrb", "sub.qrb"}));
    std::sort(directories.begin(), directories.end());
    EXPECT_EQ(directories, (Strings{".", "..", "sub.qrb"}));
}

TEST(NativeLister, AFolderThatDoesNotExistCannotBeListed) {
    TempDir dir;
    Native_Folder_Lister lister;
    EXPECT_EQ(lister.Open(Renamer_Path(dir, "missing\\")), nullptr);
}

TEST(NativeMover, RenamesAFileKeepingItsContent) {
    TempDir dir;
    Make_File(dir, "a.qrb", "content");
    Native_File_Mover mover;
    EXPECT_TRUE(mover.Move(Renamer_Path(dir, "a.qrb"), Renamer_Path(dir, "a.zem")));
    EXPECT_EQ(Files_On_Disk(dir), Strings{"a.zem"});
    EXPECT_EQ(ReadFileBytes(dir.File("a.zem")), BytesOf("content"));
}

TEST(NativeMover, RefusesToReplaceAnExistingFile) {
    TempDir dir;
    Make_File(dir, "a.qrb", "old");
    Make_File(dir, "a.zem", "kept");
    Native_File_Mover mover;
    EXPECT_FALSE(mover.Move(Renamer_Path(dir, "a.qrb"), Renamer_Path(dir, "a.zem")));
    EXPECT_EQ(ReadFileBytes(dir.File("a.qrb")), BytesOf("old"));
    EXPECT_EQ(ReadFileBytes(dir.File("a.zem")), BytesOf("kept"));
}

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) {
        return static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    });
    return text;
}

TEST(NativeMover, AllowsAChangeOfCase) {
    TempDir dir;
    Make_File(dir, "a.qrb", "content");
    Native_File_Mover mover;
    EXPECT_TRUE(mover.Move(Renamer_Path(dir, "a.qrb"), Renamer_Path(dir, "a.QRB")));
    // Some file systems keep the old spelling; either way it is the one file.
    Strings files = Files_On_Disk(dir);
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(Lower(files[0]), "a.qrb");
    EXPECT_EQ(ReadFileBytes(dir.Path() / files[0]), BytesOf("content"));
}

TEST(NativeMover, AFileMayBeGivenItsOwnName) {
    TempDir dir;
    Make_File(dir, "a.qrb", "content");
    Native_File_Mover mover;
    EXPECT_TRUE(mover.Move(Renamer_Path(dir, "a.qrb"), Renamer_Path(dir, "a.qrb")));
    EXPECT_EQ(Files_On_Disk(dir), Strings{"a.qrb"});
}

TEST(NativeMover, AMissingSourceFails) {
    TempDir dir;
    Native_File_Mover mover;
    EXPECT_FALSE(mover.Move(Renamer_Path(dir, "none.qrb"), Renamer_Path(dir, "none.zem")));
    EXPECT_TRUE(Files_On_Disk(dir).empty());
}

class NativeRun : public ::testing::Test {
protected:
    void SetUp() override {
        Make_File(dir, "SONG.QRB");
        Make_File(dir, "keep.txt");
        Make_File(dir, "qrb");
        Make_File(dir, ".qrb");
        Make_File(dir, "disc.qrb/track.qrb");
        Make_File(dir, "disc.qrb/deep/last.Qrb");
        ui.chosen_folder = Renamer_Path(dir);
    }
    void Run(std::size_t capacity = Match_List_Capacity) { Run_Rename_Job(ui, lister, mover, capacity); }

    TempDir dir;
    Scripted_Ui ui;
    Native_Folder_Lister lister;
    Native_File_Mover mover;
};

TEST_F(NativeRun, WithoutRecursion) {
    Run();
    EXPECT_EQ(Files_On_Disk(dir), (Strings{".zem", "SONG.zem", "disc.qrb/deep/last.Qrb", "disc.qrb/track.qrb",
                                           "keep.txt", "qrb"}));
    EXPECT_EQ(ui.Prompts(), Strings{"All Files Renamed."});
}

TEST_F(NativeRun, WithRecursionInUpperCase) {
    ui.use_recursion = true;
    ui.new_extension = "ZEM";
    Run();
    EXPECT_EQ(Files_On_Disk(dir), (Strings{".ZEM", "SONG.ZEM", "disc.qrb/deep/last.ZEM", "disc.qrb/track.ZEM",
                                           "keep.txt", "qrb"}));
    EXPECT_TRUE(fs::is_directory(dir.File("disc.qrb")));
    EXPECT_EQ(ui.Prompts(), Strings{"All Files Renamed."});
}

TEST_F(NativeRun, AnExistingTargetIsReportedAndLeftAsItWas) {
    Make_File(dir, "SONG.zem", "already here");
    Run();
    EXPECT_EQ(ui.Prompts(), (Strings{"Error renaming '" + Renamer_Path(dir, "SONG.QRB") + "'.", "All Files Renamed."}));
    EXPECT_EQ(ReadFileBytes(dir.File("SONG.zem")), BytesOf("already here"));
    EXPECT_TRUE(fs::exists(dir.File("SONG.QRB")));
    EXPECT_TRUE(fs::exists(dir.File(".zem")));
}

TEST_F(NativeRun, TheFolderMayComeWithoutItsBackslash) {
    ui.chosen_folder.pop_back();
    ui.use_recursion = true;
    Run();
    EXPECT_TRUE(fs::exists(dir.File("disc.qrb/deep/last.zem")));
}

TEST_F(NativeRun, ALoweredCapacityStillRenamesEveryFile) {
    for (int folder = 0; folder < 3; ++folder) {
        for (int file = 0; file < 5; ++file)
            Make_File(dir, "many" + std::to_string(folder) + "/t" + std::to_string(file) + ".qrb");
    }
    ui.use_recursion = true;
    Run(4);
    Strings left;
    for (const auto& file : Files_On_Disk(dir)) {
        if (file.size() >= 4 && file.substr(file.size() - 4) != ".zem")
            left.push_back(file);
    }
    EXPECT_EQ(left, (Strings{"keep.txt"}));
    EXPECT_EQ(ui.Prompts(), Strings{"All Files Renamed."});
}

TEST_F(NativeRun, ALoweredCapacityEndsWhenRenamedFilesStillMatch) {
    for (int file = 0; file < 9; ++file)
        Make_File(dir, "case/t" + std::to_string(file) + ".qrb");
    ui.use_recursion = true;
    ui.new_extension = "QRB";
    Run(2);
    std::size_t in_case_folder = 0;
    for (const auto& file : Files_On_Disk(dir)) {
        if (file.rfind("case/", 0) == 0) {
            ++in_case_folder;
            EXPECT_EQ(Lower(file.substr(file.size() - 4)), ".qrb") << file;
        }
    }
    EXPECT_EQ(in_case_folder, 9u);
    EXPECT_EQ(ui.Prompts(), Strings{"All Files Renamed."});
}

TEST_F(NativeRun, AFolderThatDoesNotExistEndsWithTheFinishedMessage) {
    ui.chosen_folder = Renamer_Path(dir, "missing\\");
    Run();
    EXPECT_EQ(ui.Prompts(), Strings{"All Files Renamed."});
}

}  // namespace
