// SPDX-License-Identifier: BSD-3-Clause
// Identifier-list operations over a counting allocator that can be told to fail.
#include "pathwick/core/pidl_ops.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <optional>
#include <set>
#include <vector>

using namespace pathwick;

namespace {

class FakeAllocator : public PidlAllocator {
public:
    ~FakeAllocator() override { EXPECT_TRUE(live.empty()) << "blocks leaked: " << live.size(); }
    void* Alloc(size_t bytes) override {
        if (failNext) return nullptr;
        void* block = std::malloc(bytes);
        std::memset(block, 0xCD, bytes);  // dirty, so a missing zero fill shows
        live.insert(block);
        return block;
    }
    void Free(void* block) override {
        EXPECT_EQ(live.erase(block), 1u) << "freed a block it never handed out";
        std::free(block);
    }
    std::set<void*> live;
    bool failNext = false;
};

using Bytes = std::vector<uint8_t>;

// A list of items with the given payloads ("ab" becomes 04 00 'a' 'b').
Bytes ListOf(const std::vector<std::string>& payloads) {
    Bytes list;
    for (const auto& payload : payloads) {
        size_t size = payload.size() + 2;
        list.push_back(static_cast<uint8_t>(size & 0xFF));
        list.push_back(static_cast<uint8_t>(size >> 8));
        list.insert(list.end(), payload.begin(), payload.end());
    }
    list.push_back(0);
    list.push_back(0);
    return list;
}

Bytes BytesOf(ConstPidl list) {
    return list ? Bytes(list, list + GetPidlSize(list)) : Bytes();
}

}  // namespace

TEST(PidlOps, MeasuresAndWalksLists) {
    struct Case {
        std::vector<std::string> items;
        int count, size, firstItem;
    };
    const Case cases[] = {
        {{}, 0, 2, 0},
        {{"a"}, 1, 5, 3},
        {{"abc", "de", ""}, 3, 2 + 5 + 4 + 2, 5},
    };
    for (const auto& c : cases) {
        Bytes list = ListOf(c.items);
        EXPECT_EQ(GetItemCount(list.data()), c.count);
        EXPECT_EQ(GetPidlSize(list.data()), c.size);
        EXPECT_EQ(GetItemSize(list.data()), c.firstItem);
        EXPECT_EQ(IsDesktopPidl(list.data()), c.count == 0);
        ConstPidl next = GetNextItem(list.data());
        if (c.count == 0) {
            EXPECT_EQ(next, nullptr);
        } else {
            EXPECT_EQ(next, list.data() + c.firstItem);
            EXPECT_EQ(GetItemCount(next), c.count - 1);
        }
    }
    EXPECT_EQ(GetItemSize(nullptr), 0);
    EXPECT_EQ(GetItemCount(nullptr), 0);
    EXPECT_EQ(GetPidlSize(nullptr), 0);
    EXPECT_EQ(GetNextItem(nullptr), nullptr);
    EXPECT_FALSE(IsDesktopPidl(nullptr));
}

TEST(PidlOps, BrokenOrOversizedListsCountAsNone) {
    FakeAllocator allocator;
    Bytes selfShort = {1, 0, 0, 0};       // an item shorter than its own count
    Bytes laterShort = {4, 0, 'a', 'b', 1, 0, 0, 0};  // a sound first item, a broken second one
    Bytes tooLarge(32770, 0);             // one item of 32,766 bytes: with the terminator 32,768
    tooLarge[0] = 0xFE, tooLarge[1] = 0x7F;
    Bytes largest(32767, 0);              // one item of 32,765 bytes: exactly at the limit
    largest[0] = 0xFD, largest[1] = 0x7F;
    for (const Bytes* broken : {&selfShort, &laterShort, &tooLarge}) {
        EXPECT_EQ(GetPidlSize(broken->data()), 0);
        EXPECT_EQ(GetItemCount(broken->data()), 0);
        EXPECT_EQ(ClonePidl(allocator, broken->data()), nullptr);
        EXPECT_EQ(GetParentPidl(allocator, broken->data()), nullptr) << "no parent, not the desktop";
        EXPECT_EQ(CombinePidls(allocator, const_cast<uint8_t*>(broken->data()), nullptr, false, false), nullptr);
    }
    EXPECT_EQ(GetPidlSize(largest.data()), 32767);
    Pidl copy = ClonePidl(allocator, largest.data());
    EXPECT_EQ(BytesOf(copy), largest);
    FreePidl(allocator, copy);
    EXPECT_EQ(AllocPidl(allocator, 32768), nullptr);
    EXPECT_EQ(AllocPidl(allocator, 0), nullptr);
}

TEST(PidlOps, CopiesPartsOfLists) {
    FakeAllocator allocator;
    Bytes list = ListOf({"abc", "de", "f"});
    struct Case {
        int count;
        Bytes expected;
    };
    const Case cases[] = {
        {-1, list}, {0, ListOf({})}, {1, ListOf({"abc"})}, {2, ListOf({"abc", "de"})}, {9, list},
    };
    for (const auto& c : cases) {
        Pidl copy = CopyPidlItems(allocator, list.data(), c.count);
        EXPECT_EQ(BytesOf(copy), c.expected) << "count " << c.count;
        FreePidl(allocator, copy);
        EXPECT_EQ(copy, nullptr);
    }
    EXPECT_EQ(CopyPidlItems(allocator, nullptr, -1), nullptr);
}

TEST(PidlOps, ParentOfOneItemIsTheDesktop) {
    FakeAllocator allocator;
    const std::pair<Bytes, Bytes> cases[] = {
        {ListOf({"abc", "de"}), ListOf({"abc"})},
        {ListOf({"abc"}), ListOf({})},
        {ListOf({}), ListOf({})},
    };
    for (const auto& [list, parent] : cases) {
        Pidl result = GetParentPidl(allocator, list.data());
        EXPECT_EQ(BytesOf(result), parent);
        EXPECT_EQ(IsDesktopPidl(result), GetItemCount(parent.data()) == 0);
        FreePidl(allocator, result);
    }
}

TEST(PidlOps, CombinesAndFreesOnRequest) {
    FakeAllocator allocator;
    auto owned = [&](const Bytes& bytes) { return ClonePidl(allocator, bytes.data()); };
    Bytes relative = ListOf({"x", "yz"});
    Pidl combined = CombinePidls(allocator, owned(ListOf({})), owned(relative), true, true);
    EXPECT_EQ(BytesOf(combined), relative);  // desktop + relative = relative
    FreePidl(allocator, combined);

    Pidl a = owned(ListOf({"abc"}));
    Pidl b = owned(ListOf({"de"}));
    combined = CombinePidls(allocator, a, b, false, true);
    EXPECT_EQ(BytesOf(combined), ListOf({"abc", "de"}));
    EXPECT_EQ(allocator.live.count(a), 1u);  // kept: not asked to free it
    FreePidl(allocator, a);
    FreePidl(allocator, combined);

    combined = CombinePidls(allocator, nullptr, owned(relative), false, true);
    EXPECT_EQ(BytesOf(combined), relative);
    FreePidl(allocator, combined);

    // A failed allocation still frees what was handed over.
    a = owned(ListOf({"abc"}));
    allocator.failNext = true;
    EXPECT_EQ(CombinePidls(allocator, a, nullptr, true, false), nullptr);
    EXPECT_TRUE(allocator.live.empty());
}

TEST(PidlOps, MissingListsCountAsEmptyUnlessBothAreMissing) {
    FakeAllocator allocator;
    const std::optional<Bytes> none, empty = ListOf({}), relative = ListOf({"x", "yz"});
    const struct {
        std::optional<Bytes> a, b, combined;
    } cases[] = {
        {none, none, none},         {empty, none, empty},       {none, empty, empty},
        {none, relative, relative}, {relative, none, relative}, {empty, relative, relative},
    };
    for (const auto& c : cases) {
        Pidl a = c.a ? ClonePidl(allocator, c.a->data()) : nullptr;
        Pidl b = c.b ? ClonePidl(allocator, c.b->data()) : nullptr;
        Pidl combined = CombinePidls(allocator, a, b, true, true);
        EXPECT_EQ(combined != nullptr, c.combined.has_value());
        EXPECT_EQ(BytesOf(combined), c.combined.value_or(Bytes()));
        FreePidl(allocator, combined);
    }
}

TEST(PidlOps, AllocationsAreZeroFilledAndFailuresGiveNone) {
    FakeAllocator allocator;
    Pidl block = AllocPidl(allocator, 6);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(Bytes(block, block + 6), Bytes(6, 0));
    FreePidl(allocator, block);
    allocator.failNext = true;
    Bytes list = ListOf({"abc"});
    EXPECT_EQ(ClonePidl(allocator, list.data()), nullptr);
    EXPECT_EQ(GetParentPidl(allocator, list.data()), nullptr);
    Pidl none = nullptr;
    FreePidl(allocator, none);  // freeing none is harmless
    EXPECT_EQ(none, nullptr);
}
