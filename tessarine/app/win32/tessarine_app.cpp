// SPDX-License-Identifier: BSD-3-Clause
#include "tessarine/app/win32/tessarine_app.h"

#include "io/text_convert.h"
#include "tessarine/app/win32/tessarine_dlg.h"

#include <string>

using namespace zem;

namespace {

// Exit status of a run that built nothing because no window could be made
// (1 is a command-line job that ran and failed).
constexpr int kExitNoWindow = 2;

// A line on standard error, for whoever started the program (a script, the
// shell verb's caller, a console); a program without one loses it.
void ReportOnStandardError(const WString& line) {
    HANDLE error = GetStdHandle(STD_ERROR_HANDLE);
    if (error == nullptr || error == INVALID_HANDLE_VALUE)
        return;
    const WString text = WTXT("Tessarine: ") + line + WTXT("\r\n");
    DWORD mode = 0, written = 0;
    if (GetConsoleMode(error, &mode)) {
        WriteConsoleW(error, text.c_str(), static_cast<DWORD>(text.size()), &written, nullptr);
        return;
    }
    const std::string bytes = WideToUtf8(text.c_str());
    WriteFile(error, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

}  // namespace

BOOL CTessarineApp::InitInstance() {
    CTessarineDlg dialog(GetCommandLineW());
    m_pMainWnd = &dialog;
    const INT_PTR ended = dialog.DoModal();
    const DWORD error = GetLastError();
    m_pMainWnd = nullptr;
    const WString cueSheet = dialog.CueSheet();
    if (ended == -1 || ended == 0) {
        // The command-line job runs inside the dialog too: without a window
        // (a desktop without a display) nothing ran, and the caller must know.
        WString what = cueSheet.empty() ? WString(WTXT("nothing was done"))
                                        : WTXT("no link files were made for ") + cueSheet;
        ReportOnStandardError(WTXT("cannot create the dialog window (error ") + std::to_wstring(error) +
                              WTXT("; is there a display?), ") + what);
        m_nExitCode = kExitNoWindow;
    } else if (dialog.JobFailed()) {
        ReportOnStandardError(WTXT("could not make the link files of ") + cueSheet);
        m_nExitCode = 1;
    }
    // The dialog was the program; there is no message loop after it.
    return FALSE;
}
