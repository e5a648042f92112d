// SPDX-License-Identifier: BSD-3-Clause
#include "pathwick/core/settings.h"

#include <gtest/gtest.h>

#include <map>

using namespace pathwick;

namespace {

// An INI file in memory, read the way the profile calls read: integers by
// their leading digits, strings cut to the buffer.
class MemoryProfile : public ProfileStore {
public:
    int ReadInt(const char* section, const char* key, int defaultValue) override {
        auto found = values.find({section, key});
        if (found == values.end()) return defaultValue;
        return std::atoi(found->second.c_str());
    }
    std::string ReadString(const char* section, const char* key, const char* defaultValue,
                           size_t bufferChars) override {
        auto found = values.find({section, key});
        std::string value = found == values.end() ? defaultValue : found->second;
        return value.substr(0, bufferChars - 1);
    }
    void WriteString(const char* section, const char* key, const std::string& value) override {
        values[{section, key}] = value;
    }
    std::map<std::pair<std::string, std::string>, std::string> values;
};

}  // namespace

TEST(Settings, DefaultsWhenNothingIsSaved) {
    MemoryProfile profile;
    EXPECT_EQ(LoadSplitterPosition(profile), 192);
    EXPECT_EQ(LoadFullPath(profile), "");
    const int expected[] = {168, 74, 97, 57, 0};
    for (int column = 1; column <= 5; ++column) EXPECT_EQ(LoadColumnWidth(profile, column), expected[column - 1]);
}

TEST(Settings, RoundTripUsesTheFileKeys) {
    MemoryProfile profile;
    SaveColumnWidths(profile, {200, 80, 90});
    SaveTreeAndSplitter(profile, "Desktop\\My Computer\\ (Z:)\\tmp", 250);
    using Key = std::pair<std::string, std::string>;
    std::map<Key, std::string> expected = {
        {{"ListView Settings", "Column 1 Width"}, "200"},
        {{"ListView Settings", "Column 2 Width"}, "80"},
        {{"ListView Settings", "Column 3 Width"}, "90"},
        {{"TreeView Settings", "Full Path"}, "Desktop\\My Computer\\ (Z:)\\tmp"},
        {{"Window Settings", "Splitter Position"}, "250"},
    };
    EXPECT_EQ(profile.values, expected);
    EXPECT_EQ(LoadSplitterPosition(profile), 250);
    EXPECT_EQ(LoadFullPath(profile), "Desktop\\My Computer\\ (Z:)\\tmp");
    EXPECT_EQ(LoadColumnWidth(profile, 2), 80);
    EXPECT_EQ(LoadColumnWidth(profile, 4), 57);  // never saved: its default
}

TEST(Settings, FullPathIsCutToTheBufferAndAtAZero) {
    MemoryProfile profile;
    profile.WriteString(TreeSection, FullPathKey, std::string(300, 'x'));
    EXPECT_EQ(LoadFullPath(profile), std::string(255, 'x'));
    profile.WriteString(TreeSection, FullPathKey, std::string("ab\0cd", 5));
    EXPECT_EQ(LoadFullPath(profile), "ab");
}

TEST(Settings, FileLiesBesideTheLibrary) {
    EXPECT_EQ(SettingsPathFor("C:\\Program Files\\Pathwick\\Pathwick.dll"), "C:\\Program Files\\Pathwick\\Pathwick.ini");
    EXPECT_EQ(SettingsPathFor("Z:\\tmp/build/Pathwick.dll"), "Z:\\tmp/build\\Pathwick.ini");
    EXPECT_EQ(SettingsPathFor("Pathwick.dll"), "\\Pathwick.ini");
}
