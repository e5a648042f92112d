// SPDX-License-Identifier: BSD-3-Clause
#include "tessarine/app/win32/tessarine_dlg.h"

#include "tessarine/app/dialog_texts.h"
#include "cue/link_builder.h"
#include "tessarine/app/win32/resource.h"

#include <commdlg.h>

#include <vector>

using namespace zem;

WString GetProgramFolder() {
    // Grown until the whole path fits, so a deep folder is not cut short.
    std::vector<WCHAR> path(MAX_PATH, 0);
    while (GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size())) >= path.size() &&
           path.size() < 32768)
        path.assign(path.size() * 2, 0);
    return ProgramFolderOf(path.data());
}

bool RunLinkJob(const WString& cueSheetPath, const WString& namingTemplate) {
    try {
        CLinkBuilder builder;
        builder.BuildLinks(cueSheetPath.c_str(), namingTemplate.c_str());
        return true;
    } catch (...) {
        return false;
    }
}

CTessarineDlg::CTessarineDlg(const WString& commandLine, CWnd* parent)
    : CDialog(IDD_TESSARINE_DIALOG, parent),
      m_strCommandLine(commandLine),
      m_hIcon(LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINFRAME))) {}

WString CTessarineDlg::SettingsFile() const { return SettingsPath(GetProgramFolder()); }

void CTessarineDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_NAMING_TEMPLATE, m_cboTemplate);
}

BOOL CTessarineDlg::OnInitDialog() {
    TessarineSettings settings = ReadSettings(SettingsFile());
    m_strLastDirectory = settings.lastDirectory;
    const WString cueSheet = CueSheet();
    if (!cueSheet.empty()) {
        // A command-line run: build and end before the dialog is ever shown.
        m_bJobFailed = !RunLinkJob(cueSheet, settings.namingTemplate);
        EndDialog(1);
        return FALSE;
    }
    CDialog::OnInitDialog();
    SendMessageW(m_hWnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
    SendMessageW(m_hWnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));
    m_cboTemplate.SetWindowText(settings.namingTemplate);
    SetWindowPos(m_hWnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    m_bInitialized = true;
    return TRUE;
}

bool CTessarineDlg::OnCommand(UINT id) {
    switch (id) {
    case IDC_BUILD_LINK_FILES:
        OnBuildLinkFiles();
        return true;
    case IDC_FILENAME_HELP:
        OnFilenameHelp();
        return true;
    default:
        return CDialog::OnCommand(id);
    }
}

void CTessarineDlg::OnBuildLinkFiles() {
    CFileDialog chooser(WTXT("cue"), InitialCueFileName(m_strLastDirectory), OFN_HIDEREADONLY,
                        WTXT("CUE Sheet (*.cue)|*.cue|"), this);
    if (chooser.DoModal() != IDOK)
        return;
    WString path = chooser.GetPathName();
    m_strLastDirectory = FolderWithBackslash(path);
    if (RunLinkJob(path, m_cboTemplate.GetWindowText()))
        MessageBox(kSuccessText, kSuccessCaption, MB_OK | MB_ICONINFORMATION);
    else
        MessageBox(kErrorText, kErrorCaption, MB_OK | MB_ICONERROR);
}

void CTessarineDlg::OnFilenameHelp() { MessageBox(FilenameHelpText(), kHelpCaption, MB_OK | MB_ICONINFORMATION); }

void CTessarineDlg::OnDropFiles(HDROP drop) {
    const WString naming = m_cboTemplate.GetWindowText();
    const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    std::vector<WString> processed, failed;
    for (UINT index = 0; index < count; ++index) {
        // Sized to the name, so a long path is neither cut nor overrun.
        std::vector<WCHAR> path(DragQueryFileW(drop, index, nullptr, 0) + 1, 0);
        DragQueryFileW(drop, index, path.data(), static_cast<UINT>(path.size()));
        (RunLinkJob(path.data(), naming) ? processed : failed).push_back(path.data());
    }
    MessageBox(CompletionReport(processed, failed), kReportCaption, MB_OK | MB_ICONINFORMATION);
}

void CTessarineDlg::OnDestroy() {
    CDialog::OnDestroy();
    if (!m_bInitialized)
        return;
    WriteSettings(SettingsFile(), TessarineSettings{m_cboTemplate.GetWindowText(), m_strLastDirectory});
}

bool CTessarineDlg::OnPaint() {
    if (!IsIconic(m_hWnd))
        return false;
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(m_hWnd, &paint);
    SendMessageW(m_hWnd, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    RECT client;
    GetClientRect(m_hWnd, &client);
    int x = (client.right - GetSystemMetrics(SM_CXICON) + 1) / 2;
    int y = (client.bottom - GetSystemMetrics(SM_CYICON) + 1) / 2;
    DrawIcon(dc, x, y, m_hIcon);
    EndPaint(m_hWnd, &paint);
    return true;
}

HICON CTessarineDlg::OnQueryDragIcon() { return m_hIcon; }
