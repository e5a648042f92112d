// SPDX-License-Identifier: BSD-3-Clause
#include "tessarine/app/win32/dialog_layer.h"

#include <commdlg.h>

#include <algorithm>
#include <vector>

WString CWnd::GetWindowText() const {
    int length = GetWindowTextLengthW(m_hWnd);
    std::vector<WCHAR> text(static_cast<size_t>(std::max(length, 0)) + 1, 0);
    ::GetWindowTextW(m_hWnd, text.data(), static_cast<int>(text.size()));
    return text.data();
}

void CWnd::SetWindowText(const WString& text) { ::SetWindowTextW(m_hWnd, text.c_str()); }

int CWnd::MessageBox(const WString& text, const WString& caption, UINT type) const {
    return ::MessageBoxW(m_hWnd, text.c_str(), caption.c_str(), type);
}

void DDX_Control(CDataExchange* pDX, int id, CWnd& control) {
    if (control.m_hWnd == nullptr)
        control.m_hWnd = GetDlgItem(pDX->Dialog(), id);
}

INT_PTR CDialog::DoModal() {
    HWND owner = m_parent ? m_parent->GetSafeHwnd() : nullptr;
    return DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(m_templateId), owner, &CDialog::DialogProc,
                           reinterpret_cast<LPARAM>(this));
}

void CDialog::EndDialog(INT_PTR result) { ::EndDialog(m_hWnd, result); }

void CDialog::UpdateData(bool saveAndValidate) {
    CDataExchange exchange(m_hWnd, saveAndValidate);
    DoDataExchange(&exchange);
}

void CDialog::DoDataExchange(CDataExchange*) {}

BOOL CDialog::OnInitDialog() {
    LoadListItems();
    UpdateData(false);
    return TRUE;
}

// The init data is read with its size in hand: a damaged resource ends the
// lists where it ends, it is never read past.
void CDialog::LoadListItems() {
    HMODULE module = GetModuleHandleW(nullptr);
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(m_templateId), MAKEINTRESOURCEW(10));  // RT_RCDATA
    HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
    const auto* words = loaded ? static_cast<const WCHAR*>(LockResource(loaded)) : nullptr;
    if (words == nullptr)
        return;
    const size_t count = SizeofResource(module, found) / sizeof(WCHAR);
    size_t at = 0;
    while (at < count && words[at] != 0) {
        HWND list = GetDlgItem(m_hWnd, words[at++]);
        while (at < count && words[at] != 0) {
            const size_t end = std::find(words + at, words + count, WCHAR(0)) - words;
            WString item(words + at, words + end);
            SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
            at = end + 1;
        }
        ++at;  // the empty string that ends this list
    }
}

bool CDialog::OnCommand(UINT id) {
    // Enter and Escape close the dialog as in any dialog.
    if (id == IDOK || id == IDCANCEL) {
        EndDialog(id);
        return true;
    }
    return false;
}

void CDialog::OnDropFiles(HDROP) {}

// The object travels in the creation parameter and lives in the dialog's
// user data from then on.
INT_PTR CALLBACK CDialog::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrW(window, DWLP_USER, lParam);
        reinterpret_cast<CDialog*>(lParam)->m_hWnd = window;
    }
    auto* dialog = reinterpret_cast<CDialog*>(GetWindowLongPtrW(window, DWLP_USER));
    if (dialog == nullptr)
        return FALSE;
    INT_PTR result = dialog->Dispatch(message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(window, DWLP_USER, 0);
        dialog->m_hWnd = nullptr;
    }
    return result;
}

INT_PTR CDialog::Dispatch(UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        return OnInitDialog();
    case WM_COMMAND:
        return OnCommand(LOWORD(wParam)) ? TRUE : FALSE;
    case WM_DROPFILES:
        OnDropFiles(reinterpret_cast<HDROP>(wParam));
        DragFinish(reinterpret_cast<HDROP>(wParam));
        return TRUE;
    case WM_DESTROY:
        OnDestroy();
        return TRUE;
    case WM_PAINT:
        return OnPaint() ? TRUE : FALSE;
    case WM_QUERYDRAGICON:
        return reinterpret_cast<INT_PTR>(OnQueryDragIcon());
    default:
        return FALSE;
    }
}

CWinApp::CWinApp() : m_hInstance(GetModuleHandleW(nullptr)) {}

int CWinApp::Run() {
    InitInstance();
    return m_nExitCode;
}

CFileDialog::CFileDialog(const WString& defaultExtension, const WString& initialName, DWORD flags,
                         const WString& filter, CWnd* owner)
    : m_defaultExtension(defaultExtension), m_initialName(initialName), m_flags(flags), m_filter(filter),
      m_owner(owner) {}

INT_PTR CFileDialog::DoModal() {
    // The common dialog wants the pairs separated by NULs and ended by two.
    WString filter = m_filter;
    std::replace(filter.begin(), filter.end(), L'|', L'\0');
    filter.push_back(L'\0');
    // Room for long names; a longer initial name is cut rather than overrun.
    std::vector<WCHAR> file(32768, 0);
    std::copy_n(m_initialName.begin(), std::min(m_initialName.size(), file.size() - 1), file.begin());
    OPENFILENAMEW request{};
    request.lStructSize = sizeof request;
    request.hwndOwner = m_owner ? m_owner->GetSafeHwnd() : nullptr;
    request.lpstrFilter = filter.c_str();
    request.lpstrFile = file.data();
    request.nMaxFile = static_cast<DWORD>(file.size());
    request.lpstrDefExt = m_defaultExtension.c_str();
    request.Flags = m_flags | OFN_EXPLORER | OFN_ENABLESIZING;
    if (!GetOpenFileNameW(&request))
        return IDCANCEL;
    m_path = file.data();
    return IDOK;
}
