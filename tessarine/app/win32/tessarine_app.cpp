#include "tessarine/app/win32/tessarine_app.h"

#include "tessarine/app/win32/tessarine_dlg.h"

BOOL CTessarineApp::InitInstance() {
    CTessarineDlg dialog(GetCommandLineW());
    m_pMainWnd = &dialog;
    dialog.DoModal();
    m_pMainWnd = nullptr;
    // The dialog was the program; there is no message loop after it.
    return FALSE;
}
