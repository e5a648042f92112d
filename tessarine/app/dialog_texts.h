// SPDX-License-Identifier: BSD-3-Clause
// The texts Tessarine shows and the small pieces of its dialog's logic that
// need no window: the cue sheet named on the command line, the settings file,
// the help text and the completion report after a drop.
#pragma once

#include "platform/win32.h"

#include <vector>

extern const WCHAR* const kDefaultNamingTemplate;
extern const WCHAR* const kSuccessText;
extern const WCHAR* const kSuccessCaption;
extern const WCHAR* const kErrorText;
extern const WCHAR* const kErrorCaption;
extern const WCHAR* const kHelpCaption;
extern const WCHAR* const kReportCaption;

// The help box's text, lines joined by CR LF.
WString FilenameHelpText();
// "Completion Report:" with both lists, each path on a line of its own.
WString CompletionReport(const std::vector<WString>& processed, const std::vector<WString>& failed);

// The cue sheet path a command line names, or empty text (show the dialog).
// The text after the first "Tessarine.exe"; when the program runs under
// another name, the text after the program's own path, quoted or not.
// Spaces and double quotes are trimmed from both ends.
WString CueSheetArgument(const WString& commandLine);

// The folder of a program's full path, with its trailing backslash.
WString ProgramFolderOf(const WString& programPath);
// The initial name of the open-file dialog: the folder followed by "*.cue".
WString InitialCueFileName(const WString& lastDirectory);
// The path up to and including its last backslash.
WString FolderWithBackslash(const WString& path);

// The two settings in section "General" of "Tessarine.ini".
struct TessarineSettings {
    WString namingTemplate;
    WString lastDirectory;
};
WString SettingsPath(const WString& programFolder);
// Missing file or keys give the defaults; values hold up to 1023 characters.
TessarineSettings ReadSettings(const WString& iniPath);
// A file that cannot be written is ignored.
void WriteSettings(const WString& iniPath, const TessarineSettings& settings);
