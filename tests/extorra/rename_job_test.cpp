// SPDX-License-Identifier: BSD-3-Clause
#include "extorra/core/rename_job.h"

#include "tests/extorra/extorra_fakes.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace extorra;
using extorra_test::Memory_File_System;
using extorra_test::Scripted_Ui;
using Strings = std::vector<std::string>;

void Expect_Finished_Only(const Scripted_Ui& ui) {
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].prompt, "All Files Renamed.");
    EXPECT_EQ(ui.messages[0].style, Message_Information);
    EXPECT_EQ(ui.messages[0].style, 64u);
    EXPECT_EQ(ui.messages[0].title, "Finished...");
}

class RenameJob : public ::testing::Test {
protected:
    void SetUp() override {
        tree.Add_File("C:\\m\\SONG.QRB");
        tree.Add_File("C:\\m\\other.txt");
        tree.Add_File("C:\\m\\sub\\inner.qrb");
        ui.chosen_folder = "C:\\m\\";
    }
    void Run(std::size_t capacity = Match_List_Capacity) { Run_Rename_Job(ui, tree, tree, capacity); }

    Memory_File_System tree;
    Scripted_Ui ui;
};

TEST_F(RenameJob, TheChooserIsOpenedWithItsTitle) {
    Run();
    EXPECT_EQ(ui.chooser_opened, 1u);
    EXPECT_EQ(ui.chooser_title, "Choose Folder");
}

TEST_F(RenameJob, LowerCaseNewExtensionGivesLowerCase) {
    Run();
    EXPECT_TRUE(tree.Has_File("C:\\m\\SONG.zem"));
    EXPECT_FALSE(tree.Has_File("C:\\m\\SONG.QRB"));
    Expect_Finished_Only(ui);
}

TEST_F(RenameJob, UpperCaseNewExtensionGivesUpperCase) {
    ui.new_extension = "ZEM";
    Run();
    EXPECT_TRUE(tree.Has_File("C:\\m\\SONG.ZEM"));
    Expect_Finished_Only(ui);
}

TEST_F(RenameJob, TheOldExtensionIsComparedWithoutCase) {
    ui.initial_extension = "QrB";
    ui.new_extension = "Zem";
    ui.use_recursion = true;
    Run();
    EXPECT_EQ(tree.All_Files(), (Strings{"C:\\m\\SONG.Zem", "C:\\m\\other.txt", "C:\\m\\sub\\inner.Zem"}));
}

TEST_F(RenameJob, WithRecursionOffSubfolderFilesAreUntouched) {
    Run();
    EXPECT_TRUE(tree.Has_File("C:\\m\\sub\\inner.qrb"));
    EXPECT_TRUE(tree.Has_File("C:\\m\\other.txt"));
}

TEST_F(RenameJob, WithRecursionOnSubfolderFilesAreRenamed) {
    ui.use_recursion = true;
    Run();
    EXPECT_EQ(tree.All_Files(), (Strings{"C:\\m\\SONG.zem", "C:\\m\\other.txt", "C:\\m\\sub\\inner.zem"}));
    Expect_Finished_Only(ui);
}

TEST_F(RenameJob, TheBareExtensionIsLeftAndADotWithItIsRenamed) {
    tree.Add_File("C:\\m\\qrb");
    tree.Add_File("C:\\m\\.qrb");
    Run();
    EXPECT_TRUE(tree.Has_File("C:\\m\\qrb"));
    EXPECT_TRUE(tree.Has_File("C:\\m\\.zem"));
    EXPECT_FALSE(tree.Has_File("C:\\m\\.qrb"));
}

TEST_F(RenameJob, AFolderEndingInTheExtensionIsNeverRenamedButSearched) {
    tree.Add_File("C:\\m\\disc.qrb\\track.qrb");
    ui.use_recursion = true;
    Run();
    EXPECT_TRUE(tree.Has_File("C:\\m\\disc.qrb\\track.zem"));
    EXPECT_EQ(tree.Moves_Tried(), 3u);
    Expect_Finished_Only(ui);
}

struct Wrong_Length_Case {
    const char* initial;
    const char* replacement;
    const char* message;
};

class RenameJobWrongLength : public RenameJob, public ::testing::WithParamInterface<Wrong_Length_Case> {};

TEST_P(RenameJobWrongLength, IsRefusedBeforeTheChooserOpens) {
    ui.initial_extension = GetParam().initial;
    ui.new_extension = GetParam().replacement;
    Run();
    EXPECT_EQ(ui.chooser_opened, 0u);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].prompt, GetParam().message);
    EXPECT_EQ(ui.messages[0].style, Message_Ok_Only);
    EXPECT_EQ(ui.messages[0].style, 0u);
    EXPECT_EQ(ui.messages[0].title, "Extorra");
    EXPECT_EQ(tree.Listings_Opened(), 0u);
    EXPECT_TRUE(tree.Has_File("C:\\m\\SONG.QRB"));
}

INSTANTIATE_TEST_SUITE_P(
    Lengths, RenameJobWrongLength,
    ::testing::Values(Wrong_Length_Case{"qr", "zem", "Invalid Initial Extension (wrong length)"},
                      Wrong_Length_Case{"qrbx", "zem", "Invalid Initial Extension (wrong length)"},
                      Wrong_Length_Case{"", "zem", "Invalid Initial Extension (wrong length)"},
                      Wrong_Length_Case{" qrb", "zem", "Invalid Initial Extension (wrong length)"},
                      Wrong_Length_Case{"qr", "ze", "Invalid Initial Extension (wrong length)"},
                      Wrong_Length_Case{"qrb", "ze", "Invalid New Extension (wrong length)"},
                      Wrong_Length_Case{"qrb", "zemx", "Invalid New Extension (wrong length)"},
                      Wrong_Length_Case{"qrb", "", "Invalid New Extension (wrong length)"}));

TEST_F(RenameJob, AnyThreeCharactersPassIncludingSpaces) {
    tree.Add_File("C:\\m\\odd.q b");
    ui.initial_extension = "q b";
    ui.new_extension = "   ";
    Run();
    EXPECT_TRUE(tree.Has_File("C:\\m\\odd.   "));
    Expect_Finished_Only(ui);
}

TEST_F(RenameJob, AnOldExtensionWithALeadingDotLooksForTwoDots) {
    tree.Add_File("C:\\m\\one.ab");
    tree.Add_File("C:\\m\\two..ab");
    ui.initial_extension = ".ab";
    ui.new_extension = "zem";
    Run();
    EXPECT_EQ(ui.chooser_opened, 1u);
    EXPECT_TRUE(tree.Has_File("C:\\m\\one.ab"));
    EXPECT_TRUE(tree.Has_File("C:\\m\\two.zem"));
    Expect_Finished_Only(ui);
}

TEST_F(RenameJob, CancellingTheChooserEndsSilently) {
    ui.chosen_folder.clear();
    Run();
    EXPECT_EQ(ui.chooser_opened, 1u);
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(tree.Listings_Opened(), 0u);
    EXPECT_TRUE(tree.Has_File("C:\\m\\SONG.QRB"));
}

TEST_F(RenameJob, AnExistingTargetFailsThatFileOnlyAndTheOthersAreRenamed) {
    tree.Add_File("C:\\m\\SONG.zem");
    tree.Add_File("C:\\m\\later.qrb");
    Run();
    EXPECT_TRUE(tree.Has_File("C:\\m\\SONG.QRB"));
    EXPECT_TRUE(tree.Has_File("C:\\m\\later.zem"));
    ASSERT_EQ(ui.messages.size(), 2u);
    EXPECT_EQ(ui.messages[0].prompt, "Error renaming 'C:\\m\\SONG.QRB'.");
    EXPECT_EQ(ui.messages[0].style, Message_Ok_Only);
    EXPECT_EQ(ui.messages[0].title, "Extorra");
    EXPECT_EQ(ui.messages[1].prompt, "All Files Renamed.");
}

TEST_F(RenameJob, ADriveRootIsSearchedWithoutADoubledBackslash) {
    tree.Add_Folder("E:\\");
    tree.Add_File("E:\\root.qrb");
    tree.Add_File("E:\\dir\\deeper.qrb");
    ui.chosen_folder = "E:\\";
    ui.use_recursion = true;
    Run();
    EXPECT_TRUE(tree.Has_File("E:\\root.zem"));
    EXPECT_TRUE(tree.Has_File("E:\\dir\\deeper.zem"));
    Expect_Finished_Only(ui);
}

TEST_F(RenameJob, NoMatchEndsWithTheFinishedMessageAlone) {
    ui.initial_extension = "wav";
    ui.use_recursion = true;
    Run();
    EXPECT_EQ(tree.Moves_Tried(), 0u);
    Expect_Finished_Only(ui);
}

TEST_F(RenameJob, AFolderThatCannotBeListedEndsWithTheFinishedMessage) {
    tree.Lock_Folder("C:\\m\\");
    Run();
    Expect_Finished_Only(ui);
    EXPECT_TRUE(tree.Has_File("C:\\m\\SONG.QRB"));
}

TEST_F(RenameJob, EveryFailedRenameHasItsOwnMessageAndTheRunGoesOn) {
    tree.Fail_All_Moves();
    ui.use_recursion = true;
    Run();
    EXPECT_EQ(ui.Prompts(), (Strings{"Error renaming 'C:\\m\\SONG.QRB'.", "Error renaming 'C:\\m\\sub\\inner.qrb'.",
                                     "All Files Renamed."}));
}

// More matches than the list can hold.

Memory_File_System Many_Files(std::size_t folders, std::size_t per_folder) {
    Memory_File_System tree;
    for (std::size_t folder = 0; folder < folders; ++folder) {
        std::string path = "C:\\big\\f" + std::to_string(folder) + "\\";
        tree.Add_Folder(path);
        for (std::size_t file = 0; file < per_folder; ++file)
            tree.Add_File(path + "t" + std::to_string(file) + ".qrb");
    }
    return tree;
}

std::size_t Count_Ending(const Memory_File_System& tree, const std::string& tail) {
    std::size_t count = 0;
    for (const auto& file : tree.All_Files())
        count += file.size() >= tail.size() && file.compare(file.size() - tail.size(), tail.size(), tail) == 0;
    return count;
}

TEST(RenameJobCapacity, ABatchThatFillsTheListIsRenamedThenTheSearchRunsAgain) {
    Memory_File_System tree = Many_Files(3, 4);  // 12 matches, room for 5
    Scripted_Ui ui;
    ui.chosen_folder = "C:\\big\\";
    ui.use_recursion = true;
    Run_Rename_Job(ui, tree, tree, 5);
    EXPECT_EQ(Count_Ending(tree, ".zem"), 12u);
    EXPECT_EQ(Count_Ending(tree, ".qrb"), 0u);
    EXPECT_EQ(tree.Moves_Tried(), 12u);
    Expect_Finished_Only(ui);
}

TEST(RenameJobCapacity, AHundredThousandFilesAtTheRealCapacity) {
    Memory_File_System tree = Many_Files(100, 1000);
    Scripted_Ui ui;
    ui.chosen_folder = "C:\\big\\";
    ui.use_recursion = true;
    Run_Rename_Job(ui, tree, tree);
    EXPECT_EQ(Count_Ending(tree, ".zem"), 100000u);
    EXPECT_EQ(tree.Moves_Tried(), 100000u);
    Expect_Finished_Only(ui);
}

TEST(RenameJobCapacity, AFullListWithNothingLeftOverNeedsNoSecondSearch) {
    Memory_File_System tree = Many_Files(1, 4);
    Scripted_Ui ui;
    ui.chosen_folder = "C:\\big\\";
    ui.use_recursion = true;
    Run_Rename_Job(ui, tree, tree, 4);
    EXPECT_EQ(Count_Ending(tree, ".zem"), 4u);
    EXPECT_EQ(tree.Listings_Opened(), 2u);  // C:\big\ and its one folder, once
    Expect_Finished_Only(ui);
}

TEST(RenameJobCapacity, ABatchInWhichNoRenameSucceedsEndsTheRun) {
    Memory_File_System tree = Many_Files(1, 10);
    tree.Fail_All_Moves();
    Scripted_Ui ui;
    ui.chosen_folder = "C:\\big\\";
    ui.use_recursion = true;
    Run_Rename_Job(ui, tree, tree, 3);
    EXPECT_EQ(tree.Moves_Tried(), 3u);
    EXPECT_EQ(ui.Prompts(), (Strings{"Error renaming 'C:\\big\\f0\\t0.qrb'.", "Error renaming 'C:\\big\\f0\\t1.qrb'.",
                                     "Error renaming 'C:\\big\\f0\\t2.qrb'.", "All Files Renamed."}));
}

TEST(RenameJobCapacity, AFileThatFailedIsNotOfferedAgainInALaterBatch) {
    Memory_File_System tree = Many_Files(1, 7);
    tree.Fail_Move_Of("C:\\big\\f0\\t1.qrb");
    Scripted_Ui ui;
    ui.chosen_folder = "C:\\big\\";
    ui.use_recursion = true;
    Run_Rename_Job(ui, tree, tree, 2);
    EXPECT_EQ(Count_Ending(tree, ".zem"), 6u);
    EXPECT_TRUE(tree.Has_File("C:\\big\\f0\\t1.qrb"));
    EXPECT_EQ(tree.Moves_Tried(), 7u);
    EXPECT_EQ(ui.Prompts(), (Strings{"Error renaming 'C:\\big\\f0\\t1.qrb'.", "All Files Renamed."}));
}

TEST(RenameJobCapacity, RenamedFilesThatStillMatchAreNotRenamedAgain) {
    // "qrb" to "QRB": every renamed file still ends in the old extension.
    Memory_File_System tree = Many_Files(2, 5);
    Scripted_Ui ui;
    ui.chosen_folder = "C:\\big\\";
    ui.use_recursion = true;
    ui.new_extension = "QRB";
    Run_Rename_Job(ui, tree, tree, 3);
    EXPECT_EQ(Count_Ending(tree, ".QRB"), 10u);
    EXPECT_EQ(tree.Moves_Tried(), 10u);
    Expect_Finished_Only(ui);
}

TEST(RenameJobCapacity, RenamingFilesToTheirOwnNameEnds) {
    Memory_File_System tree = Many_Files(2, 5);
    Scripted_Ui ui;
    ui.chosen_folder = "C:\\big\\";
    ui.use_recursion = true;
    ui.new_extension = "qrb";
    Run_Rename_Job(ui, tree, tree, 3);
    EXPECT_EQ(Count_Ending(tree, ".qrb"), 10u);
    EXPECT_EQ(tree.Moves_Tried(), 10u);
    Expect_Finished_Only(ui);
}

TEST(RenameJobCapacity, RenamesReportedDoneThatKeepTheOldNameEnd) {
    Memory_File_System tree = Many_Files(2, 5);
    tree.Keep_Names_On_Move();
    Scripted_Ui ui;
    ui.chosen_folder = "C:\\big\\";
    ui.use_recursion = true;
    ui.new_extension = "QRB";
    Run_Rename_Job(ui, tree, tree, 3);
    EXPECT_EQ(tree.Moves_Tried(), 10u);
    Expect_Finished_Only(ui);
}

TEST(RenameJobCapacity, WithoutAFullListTheRunIsOneSearchAsAlways) {
    Memory_File_System tree = Many_Files(2, 3);
    Scripted_Ui ui;
    ui.chosen_folder = "C:\\big\\";
    ui.use_recursion = true;
    ui.new_extension = "QRB";
    Run_Rename_Job(ui, tree, tree, 100);
    EXPECT_EQ(tree.Listings_Opened(), 3u);
    EXPECT_EQ(tree.Moves_Tried(), 6u);
}

}  // namespace
