// SPDX-License-Identifier: BSD-3-Clause
#include "pathwick/control/file_details.h"

#include "pathwick/core/size_text.h"

namespace pathwick {

namespace {

std::wstring ThousandsSeparator() {
    wchar_t separator[8] = {};
    if (GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_STHOUSAND, separator, 8) <= 0) return L",";
    return separator;
}

}  // namespace

bool LookUpFile(const std::wstring& path, FileCells& cells) {
    if (path.empty()) return false;
    WIN32_FIND_DATAW found{};
    HANDLE search = FindFirstFileW(path.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return false;
    FindClose(search);
    cells.size = FormatKilobytes(found.nFileSizeHigh, found.nFileSizeLow, ThousandsSeparator());
    cells.modified = FormatModified(found.ftLastWriteTime);
    return true;
}

std::wstring FormatModified(const FILETIME& lastWrite) {
    FILETIME local{};
    SYSTEMTIME time{};
    if (!FileTimeToLocalFileTime(&lastWrite, &local) || !FileTimeToSystemTime(&local, &time)) return {};
    wchar_t date[80] = {}, clock[80] = {};
    GetDateFormatW(LOCALE_USER_DEFAULT, LOCALE_NOUSEROVERRIDE | DATE_SHORTDATE, &time, nullptr, date, 80);
    GetTimeFormatW(LOCALE_USER_DEFAULT, LOCALE_NOUSEROVERRIDE | TIME_NOSECONDS, &time, nullptr, clock, 80);
    return std::wstring(date) + L" " + clock;
}

}  // namespace pathwick
