// SPDX-License-Identifier: BSD-3-Clause
#include "tessarine/app/dialog_texts.h"

const WCHAR* const kDefaultNamingTemplate = WTXT("ARTIST - ALBUM - TRACK# - TITLE");
const WCHAR* const kSuccessText = WTXT("Link files sucessfully created.");
const WCHAR* const kSuccessCaption = WTXT("Success");
const WCHAR* const kErrorText = WTXT("Error(s) creating link files.");
const WCHAR* const kErrorCaption = WTXT("Error");
const WCHAR* const kHelpCaption = WTXT("Filename Help");
const WCHAR* const kReportCaption = WTXT("ZLK Creation Report");

WString FilenameHelpText() {
    const WCHAR* const lines[] = {
        WTXT("You can create filenames using any combination of letters and keywords."),
        WTXT(""),
        WTXT("These keywords will be replaced by the corresponding values for each track:"),
        WTXT("     ARTIST"),
        WTXT("     ALBUM"),
        WTXT("     TITLE"),
        WTXT("     TRACK#"),
        WTXT(""),
        WTXT("Example:"),
        WTXT("     Naming template: \"ARTIST - ALBUM - TRACK# - TITLE\""),
        WTXT("     Resulting filename: \"Corvane - Tallowmere - 09 - Wrenfall.zlk\""),
    };
    WString text = lines[0];
    for (size_t index = 1; index < sizeof lines / sizeof lines[0]; ++index)
        text += WString(WTXT("\r\n")) + lines[index];
    return text;
}

WString CompletionReport(const std::vector<WString>& processed, const std::vector<WString>& failed) {
    WString report = WTXT("Completion Report:\r\n\r\nFiles successfully processed:\r\n");
    for (const WString& path : processed)
        report += WTXT("     ") + path + WTXT("\r\n");
    report += WTXT("\r\nFiles failed to be processed:\r\n");
    for (const WString& path : failed)
        report += WTXT("     ") + path + WTXT("\r\n");
    return report;
}
