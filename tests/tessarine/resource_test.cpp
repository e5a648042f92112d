// SPDX-License-Identifier: BSD-3-Clause
// Tessarine.exe's dialog resource 102 and icon 128, read from the program
// file itself: caption, size, font, styles and every control as designed.
#include "tests/support/test_files.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

using namespace testing_support;

namespace {

// Reads the extended dialog template word by word, never past its end.
class TemplateReader {
public:
    TemplateReader(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}
    uint16_t Word() { return static_cast<uint16_t>(Take(2) | (Take(2, 1) << 8)); }
    uint32_t Dword() { return Word() | (static_cast<uint32_t>(Word()) << 16); }
    int16_t Short() { return static_cast<int16_t>(Word()); }
    // A string or, after 0xFFFF, an ordinal (returned as "#n").
    std::string Text() {
        uint16_t first = Word();
        if (first == 0xFFFF)
            return "#" + std::to_string(Word());
        std::wstring text;
        for (uint16_t c = first; c != 0 && Ok(); c = Word())
            text += static_cast<wchar_t>(c);
        return Utf8FromWide(text);
    }
    void AlignDword() { m_at = (m_at + 3) & ~size_t(3); }
    void Skip(size_t bytes) { m_at += bytes; }
    bool Ok() const { return m_at <= m_size; }

private:
    uint32_t Take(size_t bytes, size_t index = 0) {
        size_t at = m_at + index;
        if (index + 1 == bytes)
            m_at += bytes;
        return at < m_size ? m_data[at] : 0;
    }
    const uint8_t* m_data;
    size_t m_size;
    size_t m_at = 0;
};

struct Item {
    uint32_t exStyle, style;
    int16_t x, y, cx, cy;
    int32_t id;
    std::string windowClass, text;
};

class TessarineResources : public ::testing::Test {
protected:
    void SetUp() override {
        m_module = LoadLibraryExW(WideFromUtf8(TESSARINE_EXE).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(nullptr, m_module);
    }
    void TearDown() override {
        if (m_module)
            FreeLibrary(m_module);
    }
    std::vector<uint8_t> Resource(int id, LPCWSTR type) {
        HRSRC found = FindResourceW(m_module, MAKEINTRESOURCEW(id), type);
        if (!found)
            return {};
        const auto* bytes = static_cast<const uint8_t*>(LockResource(LoadResource(m_module, found)));
        return std::vector<uint8_t>(bytes, bytes + SizeofResource(m_module, found));
    }
    HMODULE m_module = nullptr;
};

TEST_F(TessarineResources, DialogAsDesigned) {
    std::vector<uint8_t> data = Resource(102, MAKEINTRESOURCEW(5));  // RT_DIALOG
    ASSERT_FALSE(data.empty());
    TemplateReader in(data.data(), data.size());
    ASSERT_EQ(1, in.Word());
    ASSERT_EQ(0xFFFF, in.Word());
    in.Dword();  // help id
    const uint32_t exStyle = in.Dword(), style = in.Dword();
    const uint16_t count = in.Word();
    const int16_t x = in.Short(), y = in.Short(), cx = in.Short(), cy = in.Short();
    EXPECT_EQ("", in.Text());  // no menu
    EXPECT_EQ("", in.Text());  // the standard dialog class
    EXPECT_EQ("Quillon Image & CUE System", in.Text());
    EXPECT_EQ(8, in.Word());
    in.Skip(4);  // weight, italic, character set
    EXPECT_EQ("MS Sans Serif", in.Text());
    EXPECT_EQ(static_cast<uint32_t>(DS_SETFONT | DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX),
              style);
    EXPECT_EQ(static_cast<uint32_t>(WS_EX_APPWINDOW | WS_EX_ACCEPTFILES), exStyle);
    EXPECT_EQ((std::vector<int>{0, 0, 250, 85}), (std::vector<int>{x, y, cx, cy}));

    std::vector<Item> items;
    for (uint16_t index = 0; index < count && in.Ok(); ++index) {
        in.AlignDword();
        Item item;
        in.Dword();  // help id
        item.exStyle = in.Dword();
        item.style = in.Dword();
        item.x = in.Short(), item.y = in.Short(), item.cx = in.Short(), item.cy = in.Short();
        item.id = static_cast<int32_t>(in.Dword());
        item.windowClass = in.Text();
        item.text = in.Text();
        in.Skip(in.Word());
        items.push_back(item);
    }
    ASSERT_TRUE(in.Ok());
    const DWORD child = WS_CHILD | WS_VISIBLE;
    const struct {
        int32_t id;
        const char* windowClass;  // the predefined classes by atom
        const char* text;
        DWORD style;
        int x, y, cx, cy;
    } expected[] = {
        {-1, "#130", "File naming template:", child | WS_GROUP | SS_LEFT, 7, 7, 67, 8},
        {1004, "#133", "", child | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWN, 7, 20, 182, 110},
        {1003, "#128", "Help...", child | WS_TABSTOP | BS_PUSHBUTTON, 193, 19, 50, 14},
        {-1, "STATIC", "", child | SS_ETCHEDHORZ, 7, 42, 236, 1},
        {1001, "#128", "&Build Link File(s)", child | WS_TABSTOP | BS_PUSHBUTTON, 7, 51, 236, 14},
        {-1, "#130", "(note: drag-n-drop CUE file(s) to this dialog to quickly create ZLK files)",
         child | WS_GROUP | SS_CENTER, 7, 70, 236, 8},
    };
    ASSERT_EQ(sizeof expected / sizeof expected[0], items.size());
    for (size_t index = 0; index < items.size(); ++index) {
        const auto& want = expected[index];
        const Item& got = items[index];
        SCOPED_TRACE(want.text);
        EXPECT_EQ(want.id, got.id);
        EXPECT_EQ(want.windowClass, got.windowClass);
        EXPECT_EQ(want.text, got.text);
        EXPECT_EQ(want.style, got.style);
        EXPECT_EQ((std::vector<int>{want.x, want.y, want.cx, want.cy}),
                  (std::vector<int>{got.x, got.y, got.cx, got.cy}));
    }
}

TEST_F(TessarineResources, IconAndListItems) {
    HICON icon = LoadIconW(m_module, MAKEINTRESOURCEW(128));
    EXPECT_NE(nullptr, icon);
    std::vector<uint8_t> init = Resource(102, MAKEINTRESOURCEW(10));  // RT_RCDATA
    std::wstring text(reinterpret_cast<const wchar_t*>(init.data()), init.size() / 2);
    EXPECT_EQ(std::wstring(L"\x03EC" L"ARTIST - ALBUM - TRACK# - TITLE\0ARTIST - TITLE\0(TRACK#) TITLE\0\0\0", 65),
              text);
}

}  // namespace
