// SPDX-License-Identifier: BSD-3-Clause
// Extorra: renames every file of one extension in a folder to another extension.
#include "extorra/win32/rename_form.h"

#include <objbase.h>
#include <windows.h>

namespace {

// The shell's folder chooser needs COM on the window's thread.
class Com_Apartment {
public:
    Com_Apartment() : m_started(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
    ~Com_Apartment() {
        if (m_started)
            CoUninitialize();
    }
    Com_Apartment(const Com_Apartment&) = delete;
    Com_Apartment& operator=(const Com_Apartment&) = delete;

private:
    bool m_started;
};

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show_command) {
    // The layout is converted to the display's real resolution, so the
    // system must not stretch the window a second time.
    SetProcessDPIAware();
    Com_Apartment com;
    extorra::Rename_Form form(instance);
    if (!form.Create(show_command))
        return 1;
    return form.Run_Message_Loop();
}
