// SPDX-License-Identifier: BSD-3-Clause
// "\Pathwick.ini" beside the library: the splitter, the last selected folder
// and the list's column widths.
#pragma once

#include <string>
#include <vector>

namespace pathwick {

constexpr const char* WindowSection = "Window Settings";
constexpr const char* TreeSection = "TreeView Settings";
constexpr const char* ListSection = "ListView Settings";
constexpr const char* SplitterKey = "Splitter Position";
constexpr const char* FullPathKey = "Full Path";
constexpr const char* SettingsFileName = "\\Pathwick.ini";
constexpr size_t FullPathBufferChars = 256;  // 255 characters and the terminating zero
constexpr int DefaultColumnWidths[4] = {168, 74, 97, 57};

// The profile-string calls, over one settings file.
class ProfileStore {
public:
    virtual ~ProfileStore() = default;
    virtual int ReadInt(const char* section, const char* key, int defaultValue) = 0;
    // At most bufferChars - 1 characters come back.
    virtual std::string ReadString(const char* section, const char* key, const char* defaultValue,
                                   size_t bufferChars) = 0;
    virtual void WriteString(const char* section, const char* key, const std::string& value) = 0;
};

// The file beside the library: its folder plus "\Pathwick.ini".
std::string SettingsPathFor(const std::string& libraryPath);

std::string ColumnWidthKey(int column);  // 1-based: "Column 1 Width"
int LoadSplitterPosition(ProfileStore& store);
std::string LoadFullPath(ProfileStore& store);
// Width of fixed column `column` (1 to 4), its default when not saved.
int LoadColumnWidth(ProfileStore& store, int column);
void SaveColumnWidths(ProfileStore& store, const std::vector<int>& widths);
void SaveTreeAndSplitter(ProfileStore& store, const std::string& fullPath, int splitterPosition);

}  // namespace pathwick
