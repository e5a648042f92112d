// SPDX-License-Identifier: BSD-3-Clause
#include "extorra/win32/rename_form.h"

#include "extorra/core/rename_job.h"
#include "extorra/native/native_file_system.h"
#include "extorra/win32/control_styles.h"
#include "extorra/win32/form_ui_port.h"
#include "extorra/win32/frame_container.h"

namespace extorra {

namespace {

constexpr const char* Form_Class_Name = "Rename_Form";
constexpr const char* Font_Face = "MS Shell Dlg";
constexpr int Font_Points = 8;
constexpr int Points_Per_Inch = 72;
// Fixed size: a caption with close and minimise boxes, no sizing border.
constexpr DWORD Form_Style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;

// Labels, the frame's caption and the tick box sit on the form's own colour.
LRESULT Paint_In_Form_Colour(HDC dc) {
    SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
    SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
    return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
}

}  // namespace

Rename_Form::~Rename_Form() {
    if (m_window != nullptr)
        DestroyWindow(m_window);
    if (m_font != nullptr)
        DeleteObject(m_font);
}

bool Rename_Form::Register_Class() const {
    WNDCLASSEXA window_class{};
    window_class.cbSize = sizeof window_class;
    window_class.lpfnWndProc = &Rename_Form::Window_Proc;
    window_class.hInstance = m_instance;
    window_class.hIcon = LoadIcon(nullptr, IDI_APPLICATION);
    window_class.hIconSm = LoadIcon(nullptr, IDI_APPLICATION);
    window_class.hCursor = LoadCursor(nullptr, IDC_ARROW);
    window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    window_class.lpszClassName = Form_Class_Name;
    return RegisterClassExA(&window_class) != 0;
}

void Rename_Form::Read_Display_Resolution() {
    HDC screen = GetDC(nullptr);
    if (screen == nullptr)
        return;
    m_dpi_x = GetDeviceCaps(screen, LOGPIXELSX);
    m_dpi_y = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
}

void Rename_Form::Create_Font() {
    int height = -MulDiv(Font_Points, m_dpi_y, Points_Per_Inch);
    m_font = CreateFontA(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                         CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, Font_Face);
}

bool Rename_Form::Create(int show_command) {
    if (!Register_Class())
        return false;
    Read_Display_Resolution();
    Create_Font();
    RECT frame{0, 0, Twips_To_Pixels(Rename_Form_Client_Width, m_dpi_x),
               Twips_To_Pixels(Rename_Form_Client_Height, m_dpi_y)};
    AdjustWindowRectEx(&frame, Form_Style, FALSE, 0);
    m_window = CreateWindowExA(0, Form_Class_Name, Rename_Form_Caption, Form_Style, CW_USEDEFAULT, CW_USEDEFAULT,
                               frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr, m_instance,
                               this);
    if (m_window == nullptr)
        return false;
    Create_Controls();
    ShowWindow(m_window, show_command);
    UpdateWindow(m_window);
    SetFocus(Control(Rename_Folder_Button_Id));
    return true;
}

HWND Rename_Form::Create_Control(const Control_Layout& layout, HWND parent) {
    Control_Class kind = Class_Of(layout.kind);
    HWND control = CreateWindowExA(kind.ex_style, kind.class_name, layout.text, kind.style,
                                   Twips_To_Pixels(layout.position.left, m_dpi_x),
                                   Twips_To_Pixels(layout.position.top, m_dpi_y),
                                   Twips_To_Pixels(layout.position.width, m_dpi_x),
                                   Twips_To_Pixels(layout.position.height, m_dpi_y), parent,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(layout.id)), m_instance, nullptr);
    if (control != nullptr && m_font != nullptr)
        SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(m_font), FALSE);
    return control;
}

// Created in tab order: the order of creation is the order of tabbing.
void Rename_Form::Create_Controls() {
    const auto& layouts = Rename_Form_Controls();
    for (std::size_t index = 0; index < layouts.size(); ++index) {
        HWND parent = layouts[index].in_frame ? Control(Extensions_Frame_Id) : m_window;
        m_controls[index] = Create_Control(layouts[index], parent);
    }
    Make_Frame_Container(Control(Extensions_Frame_Id));
}

HWND Rename_Form::Control(int id) const {
    const auto& layouts = Rename_Form_Controls();
    for (std::size_t index = 0; index < layouts.size(); ++index) {
        if (layouts[index].id == id)
            return m_controls[index];
    }
    return nullptr;
}

void Rename_Form::Rename_Folder_Button_Click() {
    Form_Ui_Port ui({m_window, Control(Initial_Extension_Text_Id), Control(New_Extension_Text_Id),
                     Control(Use_Recursion_Check_Id)});
    Native_Folder_Lister lister;
    Native_File_Mover mover;
    Run_Rename_Job(ui, lister, mover);
}

// Like a dialog, the window gives the keyboard focus back to the control that
// had it when the user returns (from a message box, say), not to itself.
void Rename_Form::Keep_Focus(bool activated) {
    if (!activated) {
        HWND focus = GetFocus();
        if (focus != nullptr && IsChild(m_window, focus))
            m_last_focus = focus;
        return;
    }
    SetFocus(m_last_focus != nullptr ? m_last_focus : Control(Rename_Folder_Button_Id));
}

int Rename_Form::Run_Message_Loop() {
    MSG message{};
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        if (IsDialogMessageA(m_window, &message))
            continue;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return static_cast<int>(message.wParam);
}

LRESULT CALLBACK Rename_Form::Window_Proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTA*>(lparam);
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* form = reinterpret_cast<Rename_Form*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (form == nullptr || form->m_window != window)
        return DefWindowProcA(window, message, wparam, lparam);
    return form->Handle_Message(message, wparam, lparam);
}

LRESULT Rename_Form::Handle_Message(UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
    case WM_COMMAND:
        if (LOWORD(wparam) == Rename_Folder_Button_Id && HIWORD(wparam) == BN_CLICKED) {
            Rename_Folder_Button_Click();
            return 0;
        }
        break;
    case WM_ACTIVATE:
        Keep_Focus(LOWORD(wparam) != WA_INACTIVE);
        if (LOWORD(wparam) != WA_INACTIVE)
            return 0;
        break;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
        return Paint_In_Form_Colour(reinterpret_cast<HDC>(wparam));
    case WM_DESTROY:
        m_window = nullptr;
        PostQuitMessage(0);
        return 0;
    default:
        break;
    }
    return DefWindowProcA(m_window, message, wparam, lparam);
}

}  // namespace extorra
