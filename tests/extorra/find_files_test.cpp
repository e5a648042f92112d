// SPDX-License-Identifier: BSD-3-Clause
#include "extorra/core/file_io_module.h"

#include "tests/extorra/extorra_fakes.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using extorra::Entry_Set;
using extorra::Find_Files;
using extorra::Match_List;
using extorra::Search_Result;
using extorra_test::Memory_File_System;

std::vector<std::string> Entries(const Match_List& list) {
    std::vector<std::string> entries;
    for (std::size_t index = 0; index < list.Size(); ++index)
        entries.push_back(list[index]);
    return entries;
}

// C:\m\ holds a.qrb, sub\ (b.qrb, deep\ (c.qrb)), d.QRB, x.zem, in that order.
Memory_File_System Music_Tree() {
    Memory_File_System tree;
    tree.Add_File("C:\\m\\a.qrb");
    tree.Add_Folder("C:\\m\\sub");
    tree.Add_File("C:\\m\\sub\\b.qrb");
    tree.Add_Folder("C:\\m\\sub\\deep");
    tree.Add_File("C:\\m\\sub\\deep\\c.qrb");
    tree.Add_File("C:\\m\\d.QRB");
    tree.Add_File("C:\\m\\x.zem");
    return tree;
}

TEST(FindFiles, WithoutRecursionOnlyTheFolderItselfIsSearched) {
    Memory_File_System tree = Music_Tree();
    Match_List list;
    EXPECT_EQ(Find_Files(tree, "C:\\m\\", list, false, true, ".qrb"), Search_Result::Complete);
    EXPECT_EQ(Entries(list), (std::vector<std::string>{"C:\\m\\a.qrb", "C:\\m\\d.QRB"}));
    EXPECT_EQ(tree.Listings_Opened(), 1u);
}

TEST(FindFiles, WithRecursionMatchesComeDepthFirstInListingOrder) {
    Memory_File_System tree = Music_Tree();
    Match_List list;
    EXPECT_EQ(Find_Files(tree, "C:\\m\\", list, true, true, ".qrb"), Search_Result::Complete);
    EXPECT_EQ(Entries(list), (std::vector<std::string>{"C:\\m\\a.qrb", "C:\\m\\sub\\b.qrb",
                                                        "C:\\m\\sub\\deep\\c.qrb", "C:\\m\\d.QRB"}));
    EXPECT_EQ(tree.Listings_Opened(), 3u);
}

TEST(FindFiles, NothingMatchedLeavesTheSingleEmptyEntry) {
    Memory_File_System tree = Music_Tree();
    Match_List list;
    EXPECT_EQ(Find_Files(tree, "C:\\m\\", list, true, true, ".wav"), Search_Result::Complete);
    EXPECT_EQ(Entries(list), std::vector<std::string>{""});
}

TEST(FindFiles, AFolderWithoutTrailingBackslashGetsOne) {
    Memory_File_System tree = Music_Tree();
    Match_List list;
    Find_Files(tree, "C:\\m", list, false, true, ".qrb");
    EXPECT_EQ(Entries(list), (std::vector<std::string>{"C:\\m\\a.qrb", "C:\\m\\d.QRB"}));
}

TEST(FindFiles, ADriveRootIsSearchedWithoutADoubledBackslash) {
    Memory_File_System tree;
    tree.Add_Folder("D:\\");
    tree.Add_File("D:\\top.qrb");
    tree.Add_File("D:\\sub\\low.qrb");
    Match_List list;
    Find_Files(tree, "D:\\", list, true, true, ".qrb");
    EXPECT_EQ(Entries(list), (std::vector<std::string>{"D:\\top.qrb", "D:\\sub\\low.qrb"}));
}

TEST(FindFiles, TheExtensionGetsItsDotAndLowerCase) {
    Memory_File_System tree = Music_Tree();
    Match_List list;
    Find_Files(tree, "C:\\m\\", list, false, true, "QRB");
    EXPECT_EQ(Entries(list), (std::vector<std::string>{"C:\\m\\a.qrb", "C:\\m\\d.QRB"}));
}

TEST(FindFiles, WithoutFullPathOnlyNamesAreStored) {
    Memory_File_System tree = Music_Tree();
    Match_List list;
    Find_Files(tree, "C:\\m\\", list, true, false, ".qrb");
    EXPECT_EQ(Entries(list), (std::vector<std::string>{"a.qrb", "b.qrb", "c.qrb", "d.QRB"}));
}

TEST(FindFiles, AFolderNamedLikeAMatchIsNeverStoredButItsFilesAreSearched) {
    Memory_File_System tree;
    tree.Add_Folder("C:\\m\\album.qrb");
    tree.Add_File("C:\\m\\album.qrb\\one.qrb");
    tree.Add_File("C:\\m\\album.qrb\\two.txt");
    Match_List flat;
    Find_Files(tree, "C:\\m\\", flat, false, true, ".qrb");
    EXPECT_EQ(Entries(flat), std::vector<std::string>{""});
    Match_List deep;
    Find_Files(tree, "C:\\m\\", deep, true, true, ".qrb");
    EXPECT_EQ(Entries(deep), std::vector<std::string>{"C:\\m\\album.qrb\\one.qrb"});
}

TEST(FindFiles, TheBareExtensionIsNoMatchButADotAndItIs) {
    Memory_File_System tree;
    tree.Add_File("C:\\m\\qrb");
    tree.Add_File("C:\\m\\.qrb");
    tree.Add_File("C:\\m\\QRB");
    Match_List list;
    Find_Files(tree, "C:\\m\\", list, false, true, ".qrb");
    EXPECT_EQ(Entries(list), std::vector<std::string>{"C:\\m\\.qrb"});
}

TEST(FindFiles, ADotAndTwoLettersFindNamesEndingInTwoDotsAndThem) {
    Memory_File_System tree;
    tree.Add_File("C:\\m\\song.ab");
    tree.Add_File("C:\\m\\song..ab");
    tree.Add_File("C:\\m\\song..AB");
    Match_List list;
    Find_Files(tree, "C:\\m\\", list, false, true, "." + std::string(".ab"));
    EXPECT_EQ(Entries(list), (std::vector<std::string>{"C:\\m\\song..ab", "C:\\m\\song..AB"}));
}

TEST(FindFiles, DotStarTakesEveryFileButNoFolder) {
    Memory_File_System tree = Music_Tree();
    Match_List list;
    Find_Files(tree, "C:\\m\\", list, false, true, ".*");
    EXPECT_EQ(Entries(list), (std::vector<std::string>{"C:\\m\\a.qrb", "C:\\m\\d.QRB", "C:\\m\\x.zem"}));
}

TEST(FindFiles, AFolderThatCannotBeListedGivesNothingAndTheRestGoesOn) {
    Memory_File_System tree = Music_Tree();
    tree.Lock_Folder("C:\\m\\sub");
    Match_List list;
    EXPECT_EQ(Find_Files(tree, "C:\\m\\", list, true, true, ".qrb"), Search_Result::Complete);
    EXPECT_EQ(Entries(list), (std::vector<std::string>{"C:\\m\\a.qrb", "C:\\m\\d.QRB"}));
    Match_List none;
    EXPECT_EQ(Find_Files(tree, "C:\\missing\\", none, true, true, ".qrb"), Search_Result::Complete);
    EXPECT_EQ(Entries(none), std::vector<std::string>{""});
}

TEST(FindFiles, AppendsAfterEntriesAlreadyInTheList) {
    Memory_File_System tree = Music_Tree();
    Match_List list;
    list.Append("earlier");
    Find_Files(tree, "C:\\m\\", list, false, true, ".qrb");
    EXPECT_EQ(Entries(list), (std::vector<std::string>{"earlier", "C:\\m\\a.qrb", "C:\\m\\d.QRB"}));
}

// Lists names that carry junk after a zero, and an empty name.
class Raw_Names_Lister : public extorra::Folder_Lister {
public:
    std::unique_ptr<extorra::Folder_Listing> Open(const std::string& folder) override {
        ++opened;
        if (opened > 1)
            return nullptr;
        auto listing = std::make_unique<Fixed_Listing>();
        listing->entries = {{std::string("a.qrb\0junk", 10), false},
                            {std::string("b.zem\0.qrb", 10), false},
                            {std::string(), true},
                            {std::string(".\0x", 3), true}};
        return listing;
    }
    int opened = 0;

private:
    struct Fixed_Listing : extorra::Folder_Listing {
        bool Next(extorra::Folder_Entry& entry) override {
            if (next >= entries.size())
                return false;
            entry = entries[next++];
            return true;
        }
        std::vector<extorra::Folder_Entry> entries;
        std::size_t next = 0;
    };
};

TEST(FindFiles, NamesEndAtTheirFirstZeroAndEmptyNamesAreSkipped) {
    Raw_Names_Lister lister;
    Match_List list;
    EXPECT_EQ(Find_Files(lister, "C:\\m\\", list, true, true, ".qrb"), Search_Result::Complete);
    EXPECT_EQ(Entries(list), std::vector<std::string>{"C:\\m\\a.qrb"});
    EXPECT_EQ(lister.opened, 1);
}

TEST(FindFiles, StopsWhenTheListIsFullAndSaysSo) {
    Memory_File_System tree = Music_Tree();
    Match_List list(1);
    EXPECT_EQ(Find_Files(tree, "C:\\m\\", list, true, true, ".qrb"), Search_Result::List_Full);
    EXPECT_EQ(Entries(list), std::vector<std::string>{"C:\\m\\a.qrb"});
    // b.qrb found no room, so the deepest folder was never opened.
    EXPECT_EQ(tree.Listings_Opened(), 2u);
}

TEST(FindFiles, AListFilledExactlyByTheLastMatchIsComplete) {
    Memory_File_System tree = Music_Tree();
    Match_List list(4);
    EXPECT_EQ(Find_Files(tree, "C:\\m\\", list, true, true, ".qrb"), Search_Result::Complete);
    EXPECT_EQ(list.Size(), 4u);
}

TEST(FindFiles, EntriesToPassOverTakeNoRoomInTheList) {
    Memory_File_System tree = Music_Tree();
    Entry_Set passed_over{"C:\\m\\a.qrb", "C:\\m\\sub\\deep\\c.qrb"};
    Match_List list(2);
    EXPECT_EQ(Find_Files(tree, "C:\\m\\", list, true, true, ".qrb", &passed_over), Search_Result::Complete);
    EXPECT_EQ(Entries(list), (std::vector<std::string>{"C:\\m\\sub\\b.qrb", "C:\\m\\d.QRB"}));
}

}  // namespace
