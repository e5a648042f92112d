// SPDX-License-Identifier: BSD-3-Clause
#include "extorra/core/form_layout.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

using namespace extorra;

struct Expected_Control {
    std::string name;
    Control_Kind kind;
    std::string text;
    int left, top, width, height;
    bool in_frame;
};

TEST(FormLayout, CaptionAndClientArea) {
    EXPECT_STREQ(Rename_Form_Caption, "Extorra (v1.0)");
    EXPECT_EQ(Rename_Form_Client_Width, 2655);
    EXPECT_EQ(Rename_Form_Client_Height, 2010);
    EXPECT_EQ(Twips_To_Pixels(Rename_Form_Client_Width, 96), 177);
    EXPECT_EQ(Twips_To_Pixels(Rename_Form_Client_Height, 96), 134);
}

TEST(FormLayout, SixControlsInTabOrderWithTheirKindsTextsPositionsAndNesting) {
    const Expected_Control expected[] = {
        {"Rename_Folder_Button", Control_Kind::Command_Button, "Rename All Files in a Folder", 180, 1500, 2295, 375,
         false},
        {"Extensions_Frame", Control_Kind::Frame, "Extensions", 180, 60, 2295, 795, false},
        {"Initial_Extension_Text", Control_Kind::Text_Box, "qrb", 360, 300, 555, 345, true},
        {"New_Extension_Text", Control_Kind::Text_Box, "zem", 1440, 300, 555, 345, true},
        {"To_Lbl", Control_Kind::Label, "to", 960, 360, 375, 255, true},
        {"Use_Recursion_Check", Control_Kind::Check_Box, "Use Recursion", 720, 1020, 1395, 255, false},
    };
    const auto& controls = Rename_Form_Controls();
    ASSERT_EQ(controls.size(), 6u);
    for (std::size_t index = 0; index < controls.size(); ++index) {
        SCOPED_TRACE(expected[index].name);
        EXPECT_EQ(controls[index].name, expected[index].name);
        EXPECT_EQ(controls[index].kind, expected[index].kind);
        EXPECT_EQ(controls[index].text, expected[index].text);
        EXPECT_EQ(controls[index].position.left, expected[index].left);
        EXPECT_EQ(controls[index].position.top, expected[index].top);
        EXPECT_EQ(controls[index].position.width, expected[index].width);
        EXPECT_EQ(controls[index].position.height, expected[index].height);
        EXPECT_EQ(controls[index].in_frame, expected[index].in_frame);
        EXPECT_EQ(controls[index].tab_index, static_cast<int>(index));
    }
}

TEST(FormLayout, ControlIdentifiersAreDistinctAndAvoidTheDialogButtons) {
    std::set<int> ids;
    for (const auto& control : Rename_Form_Controls()) {
        EXPECT_GT(control.id, 2) << control.name;  // 1 and 2 stand for OK and Cancel
        ids.insert(control.id);
    }
    EXPECT_EQ(ids.size(), 6u);
}

TEST(FormLayout, ControlsInsideTheFrameFitInIt) {
    const auto& controls = Rename_Form_Controls();
    const Twips_Rect frame = controls[1].position;
    for (const auto& control : controls) {
        if (!control.in_frame)
            continue;
        EXPECT_LE(control.position.left + control.position.width, frame.width) << control.name;
        EXPECT_LE(control.position.top + control.position.height, frame.height) << control.name;
    }
}

TEST(TwipsToPixels, FifteenTwipsAPixelAt96Dpi) {
    EXPECT_EQ(Twips_To_Pixels(0, 96), 0);
    EXPECT_EQ(Twips_To_Pixels(15, 96), 1);
    EXPECT_EQ(Twips_To_Pixels(180, 96), 12);
    EXPECT_EQ(Twips_To_Pixels(1500, 96), 100);
    EXPECT_EQ(Twips_To_Pixels(2295, 96), 153);
    EXPECT_EQ(Twips_To_Pixels(375, 96), 25);
    EXPECT_EQ(Twips_To_Pixels(1440, 96), 96);
}

TEST(TwipsToPixels, OtherResolutionsRoundToTheNearestPixel) {
    EXPECT_EQ(Twips_To_Pixels(2655, 120), 221);  // 221.25
    EXPECT_EQ(Twips_To_Pixels(2010, 120), 168);  // 167.5 rounds up
    EXPECT_EQ(Twips_To_Pixels(2655, 144), 266);  // 265.5 rounds up
    EXPECT_EQ(Twips_To_Pixels(2010, 192), 268);
    EXPECT_EQ(Twips_To_Pixels(7, 96), 0);        // 0.47
    EXPECT_EQ(Twips_To_Pixels(8, 96), 1);        // 0.53
    EXPECT_EQ(Twips_To_Pixels(-15, 96), -1);
}

TEST(TwipsToPixels, LargeValuesDoNotOverflow) {
    EXPECT_EQ(Twips_To_Pixels(2000000000, 1440), 2000000000);
}

}  // namespace
