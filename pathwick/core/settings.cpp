// SPDX-License-Identifier: BSD-3-Clause
#include "pathwick/core/settings.h"

namespace pathwick {

std::string SettingsPathFor(const std::string& libraryPath) {
    size_t slash = libraryPath.find_last_of("\\/");
    std::string folder = slash == std::string::npos ? std::string() : libraryPath.substr(0, slash);
    return folder + SettingsFileName;
}

std::string ColumnWidthKey(int column) {
    return "Column " + std::to_string(column) + " Width";
}

int LoadSplitterPosition(ProfileStore& store) {
    return store.ReadInt(WindowSection, SplitterKey, 192);
}

std::string LoadFullPath(ProfileStore& store) {
    std::string path = store.ReadString(TreeSection, FullPathKey, "", FullPathBufferChars);
    size_t zero = path.find('\0');
    return zero == std::string::npos ? path : path.substr(0, zero);
}

int LoadColumnWidth(ProfileStore& store, int column) {
    int fallback = column >= 1 && column <= 4 ? DefaultColumnWidths[column - 1] : 0;
    return store.ReadInt(ListSection, ColumnWidthKey(column).c_str(), fallback);
}

void SaveColumnWidths(ProfileStore& store, const std::vector<int>& widths) {
    for (size_t index = 0; index < widths.size(); ++index)
        store.WriteString(ListSection, ColumnWidthKey(static_cast<int>(index) + 1).c_str(),
                          std::to_string(widths[index]));
}

void SaveTreeAndSplitter(ProfileStore& store, const std::string& fullPath, int splitterPosition) {
    store.WriteString(TreeSection, FullPathKey, fullPath);
    store.WriteString(WindowSection, SplitterKey, std::to_string(splitterPosition));
}

}  // namespace pathwick
