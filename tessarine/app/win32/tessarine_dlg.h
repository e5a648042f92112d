// SPDX-License-Identifier: BSD-3-Clause
// Tessarine's one dialog: the naming template, the build button, the help
// button, dropped cue sheets, and the settings kept beside the program.
#pragma once

#include "tessarine/app/dialog_texts.h"
#include "tessarine/app/win32/dialog_layer.h"

#include <vector>

class CTessarineDlg : public CDialog {
public:
    explicit CTessarineDlg(const WString& commandLine, CWnd* parent = nullptr);

    // The cue sheet the command line names (empty: the dialog's own run).
    WString CueSheet() const { return CueSheetArgument(m_strCommandLine); }
    // Whether a command-line job ran and failed.
    bool JobFailed() const { return m_bJobFailed; }

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    bool OnCommand(UINT id) override;
    void OnDropFiles(HDROP drop) override;
    void OnDestroy() override;
    bool OnPaint() override;
    HICON OnQueryDragIcon() override;

    void OnBuildLinkFiles();
    void OnFilenameHelp();

private:
    WString SettingsFile() const;

    CComboBox m_cboTemplate;
    WString m_strCommandLine;
    WString m_strLastDirectory;
    bool m_bInitialized = false;
    bool m_bJobFailed = false;
    HICON m_hIcon;
};

// The folder of the running program, with its trailing backslash.
WString GetProgramFolder();
// Runs the job on a fresh builder; false when it raised an error.
bool RunLinkJob(const WString& cueSheetPath, const WString& namingTemplate);
