// SPDX-License-Identifier: BSD-3-Clause
#include "pathwick/core/subclass_registry.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <set>

using namespace pathwick;

namespace {

// Windows as a table of procedures and properties; each call can be made to fail.
class FakeWindows : public WindowPropertyPort {
public:
    uintptr_t ReadProperty(WindowHandle window, const char* name) override {
        auto found = props.find({window, name});
        return found == props.end() ? 0 : found->second;
    }
    bool WriteProperty(WindowHandle window, const char* name, uintptr_t value) override {
        if (failSetProp) return false;
        props[{window, name}] = value;
        return true;
    }
    void RemoveProperty(WindowHandle window, const char* name) override { props.erase({window, name}); }
    uintptr_t ReplaceProc(WindowHandle window, uintptr_t procedure) override {
        if (failReplace) return 0;
        uintptr_t old = procs[window];
        procs[window] = procedure;
        return old;
    }
    char* AllocZeroed(size_t bytes) override {
        char* block = new char[bytes]();
        blocks.insert(block);
        return block;
    }
    void FreeBlock(char* block) override {
        EXPECT_EQ(blocks.erase(block), 1u);
        delete[] block;
    }
    void ShowWarning(const std::string& text) override { warnings.push_back(text); }

    std::map<std::pair<WindowHandle, std::string>, uintptr_t> props;
    std::map<WindowHandle, uintptr_t> procs = {{0x1A2B, 100}, {0x3C, 200}};
    std::set<char*> blocks;
    std::vector<std::string> warnings;
    bool failSetProp = false, failReplace = false;
};

constexpr uintptr_t NewProc = 999;

}  // namespace

TEST(SubclassRegistry, SubclassTwiceKeepsOneRegistration) {
    FakeWindows windows;
    SubclassRegistry registry;
    EXPECT_TRUE(registry.SubclassWindow(windows, 0x1A2B, NewProc, 0));
    EXPECT_TRUE(registry.SubclassWindow(windows, 0x1A2B, 555, 0));
    EXPECT_EQ(registry.Count(), 1u);
    EXPECT_EQ(windows.procs[0x1A2B], NewProc);
    EXPECT_EQ(windows.ReadProperty(0x1A2B, "OldWndProc"), 100u);
    EXPECT_EQ(windows.ReadProperty(0x1A2B, "ObjectPtr"), 0u);  // no object given, no property
    ASSERT_NE(registry.PropName(), nullptr);
    EXPECT_STREQ(registry.PropName(), "OldWndProc");
    EXPECT_TRUE(windows.warnings.empty());
    EXPECT_TRUE(registry.UnsubclassWindow(windows, 0x1A2B));
    EXPECT_EQ(windows.procs[0x1A2B], 100u);
    EXPECT_TRUE(windows.blocks.empty());
}

TEST(SubclassRegistry, LastReleaseFreesTheNameAndANewOneIsMade) {
    FakeWindows windows;
    SubclassRegistry registry;
    EXPECT_FALSE(registry.UnsubclassWindow(windows, 0x3C));  // never subclassed: nothing changes
    EXPECT_EQ(windows.procs[0x3C], 200u);
    ASSERT_TRUE(registry.SubclassWindow(windows, 0x1A2B, NewProc, 0));
    ASSERT_TRUE(registry.SubclassWindow(windows, 0x3C, NewProc, 0x77));
    EXPECT_EQ(windows.ReadProperty(0x3C, "ObjectPtr"), 0x77u);
    EXPECT_EQ(windows.blocks.size(), 1u);  // one shared name copy
    EXPECT_TRUE(registry.UnsubclassWindow(windows, 0x1A2B));
    EXPECT_NE(registry.PropName(), nullptr);
    EXPECT_TRUE(registry.UnsubclassWindow(windows, 0x3C));
    EXPECT_EQ(registry.PropName(), nullptr);
    EXPECT_TRUE(windows.blocks.empty());
    EXPECT_TRUE(windows.props.empty());
    EXPECT_EQ(windows.procs[0x1A2B], 100u);
    EXPECT_EQ(windows.procs[0x3C], 200u);
    EXPECT_TRUE(registry.SubclassWindow(windows, 0x3C, NewProc, 0));
    EXPECT_EQ(windows.blocks.size(), 1u);
    EXPECT_TRUE(registry.UnsubclassWindow(windows, 0x3C));
}

TEST(SubclassRegistry, FailuresWarnAndLeaveNothingBehind) {
    struct Case {
        bool failReplace, failSetProp;
    };
    for (const Case c : {Case{true, false}, Case{false, true}}) {
        FakeWindows windows;
        SubclassRegistry registry;
        windows.failReplace = c.failReplace;
        windows.failSetProp = c.failSetProp;
        EXPECT_FALSE(registry.SubclassWindow(windows, 0x1A2B, NewProc, 0));
        EXPECT_EQ(windows.procs[0x1A2B], 100u);  // the previous procedure stays or is put back
        EXPECT_EQ(registry.Count(), 0u);
        EXPECT_EQ(registry.PropName(), nullptr);
        EXPECT_TRUE(windows.blocks.empty());
        EXPECT_TRUE(windows.props.empty());
        ASSERT_EQ(windows.warnings.size(), 1u);
        EXPECT_EQ(windows.warnings[0], "Error subclassing window &H1A2B\r\n\r\nErr# 0: ");
    }
}

TEST(SubclassRegistry, ErrorTextShowsTheHandleInUpperCaseHex) {
    EXPECT_EQ(SubclassErrorText(0xABCDEF, 7, "Out of memory"), "Error subclassing window &HABCDEF\r\n\r\nErr# 7: Out of memory");
    EXPECT_EQ(SubclassErrorText(0x7FF612345678ull, 0, ""), "Error subclassing window &H7FF612345678\r\n\r\nErr# 0: ");
}
