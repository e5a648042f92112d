// SPDX-License-Identifier: BSD-3-Clause
// A small dialog framework over the Win32 dialog manager: an application
// object that runs InitInstance, a dialog class with data exchange,
// initialisation and virtual handlers for the messages Tessarine's dialog
// takes, a combo box wrapper, and the open-file dialog. Only what the one
// dialog of this program needs.
#pragma once

#include "platform/win32.h"

#include <shellapi.h>

class CWnd {
public:
    virtual ~CWnd() = default;
    HWND GetSafeHwnd() const { return m_hWnd; }
    WString GetWindowText() const;
    void SetWindowText(const WString& text);
    int MessageBox(const WString& text, const WString& caption, UINT type) const;

    HWND m_hWnd = nullptr;
};

class CComboBox : public CWnd {};

// Binds member controls to the dialog's child windows.
class CDataExchange {
public:
    CDataExchange(HWND dialog, bool saveAndValidate) : m_dialog(dialog), m_bSaveAndValidate(saveAndValidate) {}
    HWND Dialog() const { return m_dialog; }

private:
    HWND m_dialog;

public:
    bool m_bSaveAndValidate;
};

void DDX_Control(CDataExchange* pDX, int id, CWnd& control);

class CDialog : public CWnd {
public:
    CDialog(UINT templateId, CWnd* parent) : m_templateId(templateId), m_parent(parent) {}

    // Runs the dialog modally; returns the value given to EndDialog, or -1
    // (0 for an invalid owner) when the dialog could not be created.
    INT_PTR DoModal();
    void EndDialog(INT_PTR result);
    void UpdateData(bool saveAndValidate);

protected:
    virtual void DoDataExchange(CDataExchange* pDX);
    // Fills the lists from the dialog's init data and binds the controls.
    // Returns whether the system should set the focus.
    virtual BOOL OnInitDialog();
    // Returns true when the command was handled.
    virtual bool OnCommand(UINT id);
    virtual void OnDropFiles(HDROP drop);
    virtual void OnDestroy() {}
    // Returns false to leave painting to the system.
    virtual bool OnPaint() { return false; }
    virtual HICON OnQueryDragIcon() { return nullptr; }

private:
    void LoadListItems();
    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR Dispatch(UINT message, WPARAM wParam, LPARAM lParam);

    UINT m_templateId;
    CWnd* m_parent;
};

class CWinApp {
public:
    CWinApp();
    virtual ~CWinApp() = default;
    virtual BOOL InitInstance() { return FALSE; }
    // Runs InitInstance; a false result ends the program at once. Returns
    // the program's exit status, m_nExitCode.
    int Run();

    HINSTANCE m_hInstance;
    CWnd* m_pMainWnd = nullptr;
    int m_nExitCode = 0;
};

// The open-file common dialog for one existing file. The filter is written as
// pairs of description and pattern, each ended by '|'.
class CFileDialog {
public:
    CFileDialog(const WString& defaultExtension, const WString& initialName, DWORD flags, const WString& filter,
                CWnd* owner);
    INT_PTR DoModal();  // IDOK or IDCANCEL
    WString GetPathName() const { return m_path; }

private:
    WString m_defaultExtension;
    WString m_initialName;
    DWORD m_flags;
    WString m_filter;
    CWnd* m_owner;
    WString m_path;
};
