// SPDX-License-Identifier: BSD-3-Clause
// Helper of the window tests: runs under Wine beside the program under test,
// reads one tab-separated command a line (UTF-8) from standard input and
// answers each with one line of JSON. It looks at windows of other processes
// the way an accessibility tool would, and drives only what a keyboard or
// mouse cannot reach from outside: the folder chooser's selection, buttons,
// control texts and files dropped from a file manager.
//
//   desktop NAME TIMEOUT_MS      work on the named (virtual) desktop
//   find CLASS TITLE TIMEOUT_MS  a visible top-level window ("-" = any)
//   list                         every visible top-level window
//   tree HWND                    the window and all its children
//   focus HWND                   the control that has the keyboard focus
//   dpi                          the screen's dots per inch
//   icon HWND                    which standard icon a message box shows
//   select HWND PATH             make the folder chooser select PATH
//   selected HWND                the text of the chooser's selected tree item
//   click HWND                   press a button
//   close HWND                   ask a window to close
//   gone HWND TIMEOUT_MS         wait until the window no longer exists
//   settext HWND TEXT            set a control's text (WM_SETTEXT)
//   items HWND                   the list items of a combo box
//   drop HWND X Y PATH...        drop files at client point X,Y (WM_DROPFILES)
//   baseunits FACE POINTS        dialog base units of a dialog in that font
//   listview HWND                the item texts of the first list view inside HWND
//   runwatch TITLE TIMEOUT_MS COMMAND_LINE
//                                start a program on this desktop, wait for it to
//                                end, and tell whether a window titled TITLE showed
//   treeview HWND                every item of a tree view, depth first
//   report HWND                  a list view's columns (header text, width,
//                                format, image) and rows (every cell, selection)
//   send HWND MSG WPARAM LPARAM  send a message with plain numbers, its result
//   itemrect HWND INDEX          client rectangle of a list view's row or a
//                                header's column (by the window's class)
//   move HWND X Y WIDTH HEIGHT   move and size a window
//   quit
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr UINT Set_Selection_A = WM_USER + 102;  // the chooser's "select this path" message

std::string Json_Text(const std::string& text) {
    std::string out = "\"";
    for (unsigned char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20 || c >= 0x80) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
            out += escaped;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

std::string Class_Of(HWND window) {
    char name[256] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

std::string Text_Of(HWND window) {
    char text[8192] = {};
    // WM_GETTEXT works across processes for every standard control.
    SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 2000,
                        nullptr);
    return text;
}

HWND Parse_Window(const std::string& text) {
    return reinterpret_cast<HWND>(static_cast<INT_PTR>(std::strtoll(text.c_str(), nullptr, 10)));
}

std::string Window_Number(HWND window) { return std::to_string(reinterpret_cast<INT_PTR>(window)); }

struct Find_Request {
    std::string class_name;
    std::string title;
    std::vector<HWND> found;
};

BOOL CALLBACK Collect_Window(HWND window, LPARAM data) {
    auto* request = reinterpret_cast<Find_Request*>(data);
    if (!IsWindowVisible(window))
        return TRUE;
    if (request->class_name != "-" && Class_Of(window) != request->class_name)
        return TRUE;
    if (request->title != "-" && Text_Of(window) != request->title)
        return TRUE;
    request->found.push_back(window);
    return TRUE;
}

std::vector<HWND> Top_Level_Windows(const std::string& class_name, const std::string& title) {
    Find_Request request{class_name, title, {}};
    EnumWindows(&Collect_Window, reinterpret_cast<LPARAM>(&request));
    return request.found;
}

std::string Describe(HWND window) {
    RECT rect{}, client{};
    GetWindowRect(window, &rect);
    GetClientRect(window, &client);
    POINT origin{0, 0};
    ClientToScreen(window, &origin);
    HWND parent = GetParent(window);
    POINT relative{rect.left, rect.top};
    if (parent != nullptr && (GetWindowLongA(window, GWL_STYLE) & WS_CHILD))
        ScreenToClient(parent, &relative);
    std::ostringstream out;
    out << "{\"hwnd\":" << Window_Number(window) << ",\"class\":" << Json_Text(Class_Of(window))
        << ",\"text\":" << Json_Text(Text_Of(window)) << ",\"id\":" << GetDlgCtrlID(window)
        << ",\"style\":" << static_cast<unsigned long>(GetWindowLongA(window, GWL_STYLE))
        << ",\"exstyle\":" << static_cast<unsigned long>(GetWindowLongA(window, GWL_EXSTYLE))
        << ",\"visible\":" << (IsWindowVisible(window) ? "true" : "false")
        << ",\"enabled\":" << (IsWindowEnabled(window) ? "true" : "false") << ",\"rect\":[" << relative.x << ","
        << relative.y << "," << rect.right - rect.left << "," << rect.bottom - rect.top << "]"
        << ",\"screen\":[" << rect.left << "," << rect.top << "],\"client\":[" << client.right << ","
        << client.bottom << "],\"client_origin\":[" << origin.x << "," << origin.y << "]";
    if (Class_Of(window) == "Button")
        out << ",\"check\":" << SendMessageA(window, BM_GETCHECK, 0, 0);
    return out.str();
}

std::string Tree_Of(HWND window) {
    std::string out = Describe(window) + ",\"children\":[";
    bool first = true;
    for (HWND child = GetWindow(window, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        out += first ? "" : ",";
        out += Tree_Of(child);
        first = false;
    }
    return out + "]}";
}

std::string Find(const std::string& class_name, const std::string& title, DWORD timeout_ms) {
    DWORD start = GetTickCount();
    do {
        std::vector<HWND> found = Top_Level_Windows(class_name, title);
        if (!found.empty())
            return "{\"hwnd\":" + Window_Number(found.front()) + "}";
        Sleep(100);
    } while (GetTickCount() - start < timeout_ms);
    return "{\"hwnd\":0}";
}

std::string List() {
    std::string out = "{\"windows\":[";
    bool first = true;
    for (HWND window : Top_Level_Windows("-", "-")) {
        out += first ? "" : ",";
        out += "{\"hwnd\":" + Window_Number(window) + ",\"class\":" + Json_Text(Class_Of(window)) +
               ",\"text\":" + Json_Text(Text_Of(window)) + "}";
        first = false;
    }
    return out + "]}";
}

std::string Focus(HWND window) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    DWORD thread = GetWindowThreadProcessId(window, nullptr);
    if (!GetGUIThreadInfo(thread, &info) || info.hwndFocus == nullptr)
        return "{\"hwnd\":0,\"id\":0}";
    return "{\"hwnd\":" + Window_Number(info.hwndFocus) + ",\"id\":" + std::to_string(GetDlgCtrlID(info.hwndFocus)) +
           "}";
}

std::string Dpi() {
    HDC screen = GetDC(nullptr);
    int x = GetDeviceCaps(screen, LOGPIXELSX);
    int y = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return "{\"x\":" + std::to_string(x) + ",\"y\":" + std::to_string(y) + "}";
}

// The message box's icon is a static control of style SS_ICON that holds an icon.
HWND Icon_Control(HWND box) {
    for (HWND child = GetWindow(box, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        LONG style = GetWindowLongA(child, GWL_STYLE);
        if (Class_Of(child) != "Static" || (style & SS_TYPEMASK) != SS_ICON || !IsWindowVisible(child))
            continue;
        RECT rect{};
        GetWindowRect(child, &rect);
        // A box without an icon may keep the control, empty or of no size.
        if (rect.right > rect.left && rect.bottom > rect.top && SendMessageA(child, STM_GETICON, 0, 0) != 0)
            return child;
    }
    return nullptr;
}

std::vector<COLORREF> Read_Pixels(HDC memory, int width, int height) {
    std::vector<COLORREF> pixels;
    for (int row = 0; row < height; ++row) {
        for (int column = 0; column < width; ++column)
            pixels.push_back(GetPixel(memory, column, row));
    }
    return pixels;
}

// Copies a piece of the screen, or draws a standard icon on a given
// background the way a message box shows it, and reads the pixels back.
std::vector<COLORREF> Pixels_Of(HDC screen, int x, int y, int width, int height, LPCSTR icon,
                                COLORREF background) {
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ old = SelectObject(memory, bitmap);
    if (icon == nullptr) {
        BitBlt(memory, 0, 0, width, height, screen, x, y, SRCCOPY);
    } else {
        RECT all{0, 0, width, height};
        HBRUSH brush = CreateSolidBrush(background);
        FillRect(memory, &all, brush);
        DeleteObject(brush);
        DrawIconEx(memory, 0, 0, LoadIconA(nullptr, icon), width, height, 0, nullptr, DI_NORMAL);
    }
    std::vector<COLORREF> pixels = Read_Pixels(memory, width, height);
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    return pixels;
}

long Difference(const std::vector<COLORREF>& a, const std::vector<COLORREF>& b) {
    long total = 0;
    for (std::size_t index = 0; index < a.size() && index < b.size(); ++index) {
        total += std::labs(static_cast<long>(GetRValue(a[index])) - GetRValue(b[index]));
        total += std::labs(static_cast<long>(GetGValue(a[index])) - GetGValue(b[index]));
        total += std::labs(static_cast<long>(GetBValue(a[index])) - GetBValue(b[index]));
    }
    return total;
}

// Compares what is on screen with each standard icon drawn locally.
std::string Icon(HWND box) {
    HWND control = Icon_Control(box);
    if (control == nullptr)
        return "{\"icon\":\"none\"}";
    RECT rect{};
    GetWindowRect(control, &rect);
    int width = GetSystemMetrics(SM_CXICON), height = GetSystemMetrics(SM_CYICON);
    HDC screen = GetDC(nullptr);
    std::vector<COLORREF> shown = Pixels_Of(screen, rect.left, rect.top, width, height, nullptr, 0);
    const struct {
        const char* name;
        LPCSTR id;
    } candidates[] = {{"information", MAKEINTRESOURCEA(32516)}, {"warning", MAKEINTRESOURCEA(32515)},
                      {"error", MAKEINTRESOURCEA(32513)}, {"question", MAKEINTRESOURCEA(32514)}};
    std::string best = "unknown";
    long best_difference = -1;
    for (const auto& candidate : candidates) {
        long difference =
            Difference(shown, Pixels_Of(screen, 0, 0, width, height, candidate.id, shown.front()));
        if (best_difference < 0 || difference < best_difference) {
            best_difference = difference;
            best = candidate.name;
        }
    }
    ReleaseDC(nullptr, screen);
    return "{\"icon\":" + Json_Text(best) + ",\"difference\":" + std::to_string(best_difference) + "}";
}

// The chooser reads the path from its own memory, so it is written there.
std::string Select(HWND chooser, const std::string& path) {
    DWORD process_id = 0;
    GetWindowThreadProcessId(chooser, &process_id);
    HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE | PROCESS_VM_READ, FALSE, process_id);
    if (process == nullptr)
        return "{\"ok\":false,\"error\":\"OpenProcess\"}";
    void* remote = VirtualAllocEx(process, nullptr, path.size() + 1, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    bool written = remote != nullptr && WriteProcessMemory(process, remote, path.c_str(), path.size() + 1, nullptr);
    DWORD_PTR result = 0;
    bool sent = written && SendMessageTimeoutA(chooser, Set_Selection_A, TRUE, reinterpret_cast<LPARAM>(remote),
                                               SMTO_ABORTIFHUNG, 5000, &result) != 0;
    if (remote != nullptr)
        VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    CloseHandle(process);
    return std::string("{\"ok\":") + (sent ? "true" : "false") + "}";
}

// Memory inside another process, for messages that carry pointers.
class Remote_Block {
public:
    Remote_Block(HWND window, std::size_t size) : m_size(size) {
        DWORD process_id = 0;
        GetWindowThreadProcessId(window, &process_id);
        m_process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE | PROCESS_VM_READ, FALSE, process_id);
        if (m_process != nullptr)
            m_address = static_cast<char*>(
                VirtualAllocEx(m_process, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    }
    ~Remote_Block() {
        if (m_address != nullptr)
            VirtualFreeEx(m_process, m_address, 0, MEM_RELEASE);
        if (m_process != nullptr)
            CloseHandle(m_process);
    }
    Remote_Block(const Remote_Block&) = delete;
    Remote_Block& operator=(const Remote_Block&) = delete;

    char* Address() const { return m_address; }
    bool Write(std::size_t offset, const void* data, std::size_t size) {
        return m_address != nullptr && offset + size <= m_size &&
               WriteProcessMemory(m_process, m_address + offset, data, size, nullptr);
    }
    bool Read(std::size_t offset, void* data, std::size_t size) {
        return m_address != nullptr && offset + size <= m_size &&
               ReadProcessMemory(m_process, m_address + offset, data, size, nullptr);
    }

private:
    std::size_t m_size;
    HANDLE m_process = nullptr;
    char* m_address = nullptr;
};

HWND Tree_View_Of(HWND chooser) {
    for (HWND child = GetWindow(chooser, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        if (Class_Of(child) == WC_TREEVIEWA)
            return child;
    }
    return nullptr;
}

std::string Item_Text(HWND tree, HTREEITEM item) {
    constexpr std::size_t Text_Size = 520;
    Remote_Block block(tree, sizeof(TVITEMA) + Text_Size);
    TVITEMA request{};
    request.mask = TVIF_TEXT;
    request.hItem = item;
    request.pszText = block.Address() + sizeof(TVITEMA);
    request.cchTextMax = static_cast<int>(Text_Size);
    char text[Text_Size] = {};
    if (!block.Write(0, &request, sizeof request) ||
        !SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(block.Address())) ||
        !block.Read(sizeof(TVITEMA), text, Text_Size - 1))
        return std::string();
    return text;
}

HTREEITEM Selected_Item(HWND tree) {
    return reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
}

std::string Selected(HWND chooser) {
    HWND tree = Tree_View_Of(chooser);
    if (tree == nullptr)
        return "{\"text\":null}";
    return "{\"text\":" + Json_Text(Item_Text(tree, Selected_Item(tree))) + "}";
}

// Tree and list views of another process: their items are read through
// memory inside that process, one request at a time.
constexpr std::size_t View_Text_Size = 520;

std::string Tree_Item_Json(HWND tree, HTREEITEM item, int level) {
    Remote_Block block(tree, sizeof(TVITEMA));
    TVITEMA request{};
    request.mask = TVIF_STATE | TVIF_CHILDREN | TVIF_IMAGE;
    request.hItem = item;
    request.stateMask = TVIS_EXPANDED | TVIS_SELECTED;
    block.Write(0, &request, sizeof request);
    SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(block.Address()));
    block.Read(0, &request, sizeof request);
    std::ostringstream out;
    out << "{\"text\":" << Json_Text(Item_Text(tree, item)) << ",\"level\":" << level
        << ",\"expanded\":" << ((request.state & TVIS_EXPANDED) ? "true" : "false")
        << ",\"selected\":" << (item == Selected_Item(tree) ? "true" : "false")
        << ",\"children\":" << request.cChildren << ",\"image\":" << request.iImage << "}";
    return out.str();
}

void Tree_Items_Below(HWND tree, HTREEITEM first, int level, std::string& out) {
    for (HTREEITEM item = first; item != nullptr;
         item = reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(item)))) {
        out += (out.size() > 1 ? "," : "") + Tree_Item_Json(tree, item, level);
        Tree_Items_Below(tree,
                         reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(item))),
                         level + 1, out);
    }
}

std::string Tree_View_Items(HWND tree) {
    std::string items = "[";
    Tree_Items_Below(tree, reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0)), 0, items);
    return "{\"items\":" + items + "]}";
}

std::string Header_Column_Json(HWND header, int index) {
    Remote_Block block(header, sizeof(HDITEMA) + View_Text_Size);
    HDITEMA request{};
    request.mask = HDI_TEXT | HDI_FORMAT | HDI_IMAGE | HDI_WIDTH;
    request.pszText = block.Address() + sizeof(HDITEMA);
    request.cchTextMax = static_cast<int>(View_Text_Size);
    char text[View_Text_Size] = {};
    block.Write(0, &request, sizeof request);
    SendMessageA(header, HDM_GETITEMA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(block.Address()));
    block.Read(0, &request, sizeof request);
    block.Read(sizeof(HDITEMA), text, View_Text_Size - 1);
    std::ostringstream out;
    out << "{\"text\":" << Json_Text(text) << ",\"width\":" << request.cxy << ",\"format\":" << request.fmt
        << ",\"image\":" << request.iImage << "}";
    return out.str();
}

std::string List_Cell(HWND list, int row, int column) {
    Remote_Block block(list, sizeof(LVITEMA) + View_Text_Size);
    LVITEMA request{};
    request.iSubItem = column;
    request.pszText = block.Address() + sizeof(LVITEMA);
    request.cchTextMax = static_cast<int>(View_Text_Size);
    char text[View_Text_Size] = {};
    if (!block.Write(0, &request, sizeof request) ||
        SendMessageA(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(block.Address())) < 0 ||
        !block.Read(sizeof(LVITEMA), text, View_Text_Size - 1))
        return std::string();
    return text;
}

std::string List_View_Report(HWND list) {
    HWND header = reinterpret_cast<HWND>(SendMessageA(list, LVM_GETHEADER, 0, 0));
    int columns = header != nullptr ? static_cast<int>(SendMessageA(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
    std::string out = "{\"columns\":[";
    for (int column = 0; column < columns; ++column)
        out += (column ? "," : "") + Header_Column_Json(header, column);
    out += "],\"rows\":[";
    int rows = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    std::string selected;
    for (int row = 0; row < rows; ++row) {
        out += row ? ",[" : "[";
        for (int column = 0; column < (columns ? columns : 1); ++column)
            out += (column ? "," : "") + Json_Text(List_Cell(list, row, column));
        out += "]";
        if (SendMessageA(list, LVM_GETITEMSTATE, static_cast<WPARAM>(row), LVIS_SELECTED) & LVIS_SELECTED)
            selected += (selected.empty() ? "" : ",") + std::to_string(row);
    }
    return out + "],\"selected\":[" + selected + "]}";
}

std::string Send_Numbers(HWND window, const std::string& message, const std::string& wparam, const std::string& lparam) {
    LRESULT result = SendMessageA(window, static_cast<UINT>(std::strtoul(message.c_str(), nullptr, 0)),
                                  static_cast<WPARAM>(std::strtoull(wparam.c_str(), nullptr, 0)),
                                  static_cast<LPARAM>(std::strtoll(lparam.c_str(), nullptr, 0)));
    return "{\"result\":" + std::to_string(static_cast<long long>(result)) + "}";
}

std::string Item_Rect(HWND window, int index) {
    Remote_Block block(window, sizeof(RECT));
    RECT rect{};
    rect.left = LVIR_BOUNDS;
    bool header = Class_Of(window) == WC_HEADERA;
    UINT message = header ? HDM_GETITEMRECT : LVM_GETITEMRECT;
    if (!block.Write(0, &rect, sizeof rect) ||
        !SendMessageA(window, message, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(block.Address())) ||
        !block.Read(0, &rect, sizeof rect))
        return "{\"rect\":null}";
    POINT origin{0, 0};
    ClientToScreen(window, &origin);
    std::ostringstream out;
    out << "{\"rect\":[" << rect.left << "," << rect.top << "," << rect.right - rect.left << "," << rect.bottom - rect.top
        << "],\"screen\":[" << origin.x + rect.left << "," << origin.y + rect.top << "]}";
    return out.str();
}

std::wstring Wide(const std::string& utf8) {
    int count = MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, nullptr, 0);
    std::wstring wide(count > 0 ? count : 1, L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, &wide[0], count);
    wide.resize(wide.size() - 1);
    return wide;
}

std::string Ok(bool ok) { return std::string("{\"ok\":") + (ok ? "true" : "false") + "}"; }

// Wine carries the text of WM_SETTEXT over to the other process.
std::string Set_Text(HWND window, const std::string& text) {
    DWORD_PTR result = 0;
    return Ok(SendMessageTimeoutW(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(Wide(text).c_str()),
                                  SMTO_ABORTIFHUNG, 5000, &result) != 0 && result != 0);
}

// Each UTF-16 unit outside printable ASCII as \uXXXX.
std::string Json_Wide(const std::wstring& text) {
    std::string out = "\"";
    for (wchar_t c : text) {
        if (c == L'"' || c == L'\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20 || c >= 0x7F) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
            out += escaped;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

// The list of a combo box keeps wide text; the wide messages read it whole.
std::string Items(HWND combo) {
    LRESULT count = SendMessageW(combo, CB_GETCOUNT, 0, 0);
    std::string out = "{\"items\":[";
    for (LRESULT index = 0; index < count; ++index) {
        wchar_t text[1024] = {};
        if (SendMessageW(combo, CB_GETLBTEXTLEN, index, 0) < static_cast<LRESULT>(sizeof text / sizeof text[0]))
            SendMessageW(combo, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text));
        out += (index ? "," : "") + Json_Wide(text);
    }
    return out + "]}";
}

// A file manager hands the dropped names over in memory of the receiving
// process: a DROPFILES record followed by the wide names, each ended by a NUL,
// and one more NUL. The block is the receiver's from then on, as its
// DragFinish releases it.
std::string Drop(HWND window, int x, int y, const std::vector<std::string>& paths) {
    std::vector<BYTE> block(sizeof(DROPFILES));
    for (const std::string& path : paths) {
        std::wstring name = Wide(path);
        const BYTE* bytes = reinterpret_cast<const BYTE*>(name.c_str());
        block.insert(block.end(), bytes, bytes + (name.size() + 1) * sizeof(wchar_t));
    }
    block.resize(block.size() + sizeof(wchar_t), 0);
    DROPFILES header{};
    header.pFiles = sizeof(DROPFILES);
    header.pt = POINT{x, y};
    header.fNC = FALSE;
    header.fWide = TRUE;
    std::memcpy(block.data(), &header, sizeof header);
    DWORD process_id = 0;
    GetWindowThreadProcessId(window, &process_id);
    HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE, FALSE, process_id);
    if (process == nullptr)
        return Ok(false);
    void* remote = VirtualAllocEx(process, nullptr, block.size(), MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    bool written = remote != nullptr && WriteProcessMemory(process, remote, block.data(), block.size(), nullptr);
    CloseHandle(process);
    return Ok(written && PostMessageW(window, WM_DROPFILES, reinterpret_cast<WPARAM>(remote), 0));
}

INT_PTR CALLBACK Quiet_Dialog(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

// An empty dialog template with DS_SETFONT: the dialog manager then measures
// the font exactly as it does for the program's own dialog.
std::vector<WORD> Font_Template(const std::wstring& face, WORD points) {
    std::vector<WORD> words(sizeof(DLGTEMPLATE) / sizeof(WORD), 0);
    DLGTEMPLATE head{};
    head.style = DS_SETFONT | WS_POPUP;
    head.cx = 100;
    head.cy = 100;
    std::memcpy(words.data(), &head, sizeof head);
    words.insert(words.end(), {0, 0, 0, points});  // no menu, default class, no title
    words.insert(words.end(), face.begin(), face.end());
    words.push_back(0);
    return words;
}

std::string Base_Units(const std::string& face, int points) {
    std::vector<WORD> words = Font_Template(Wide(face), static_cast<WORD>(points));
    HWND dialog = CreateDialogIndirectW(GetModuleHandleW(nullptr), reinterpret_cast<DLGTEMPLATE*>(words.data()),
                                        nullptr, &Quiet_Dialog);
    if (dialog == nullptr)
        return "{\"x\":0,\"y\":0}";
    RECT units{0, 0, 4, 8};
    MapDialogRect(dialog, &units);
    DestroyWindow(dialog);
    return "{\"x\":" + std::to_string(units.right) + ",\"y\":" + std::to_string(units.bottom) + "}";
}

std::wstring Thread_Desktop_Name() {
    WCHAR name[256] = {};
    GetUserObjectInformationW(GetThreadDesktop(GetCurrentThreadId()), UOI_NAME, name, sizeof name, nullptr);
    return name;
}

// Polls for the window while the program runs, so that even a window shown
// for a moment is seen.
std::string Run_Watch(const std::string& title, DWORD timeout_ms, const std::string& command_line) {
    std::wstring desktop = Thread_Desktop_Name();
    std::wstring command = Wide(command_line);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.lpDesktop = &desktop[0];
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return "{\"started\":false}";
    bool seen = false;
    DWORD start = GetTickCount();
    DWORD wait = WAIT_TIMEOUT;
    while (wait == WAIT_TIMEOUT && GetTickCount() - start < timeout_ms) {
        seen = seen || !Top_Level_Windows("-", title).empty();
        wait = WaitForSingleObject(process.hProcess, 10);
    }
    DWORD exit_code = STILL_ACTIVE;
    GetExitCodeProcess(process.hProcess, &exit_code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return "{\"started\":true,\"ended\":" + std::string(wait == WAIT_OBJECT_0 ? "true" : "false") +
           ",\"exit\":" + std::to_string(exit_code) + ",\"seen\":" + (seen ? "true" : "false") + "}";
}

struct Class_Search {
    const char* class_name;
    HWND found;
};

BOOL CALLBACK Find_Class(HWND window, LPARAM data) {
    auto* search = reinterpret_cast<Class_Search*>(data);
    if (Class_Of(window) != search->class_name)
        return TRUE;
    search->found = window;
    return FALSE;
}

// The list view keeps its texts in its own process: each is fetched into
// memory there and read back.
std::string List_View_Items(HWND window) {
    Class_Search search{WC_LISTVIEWA, nullptr};
    EnumChildWindows(window, &Find_Class, reinterpret_cast<LPARAM>(&search));
    if (search.found == nullptr)
        return "{\"items\":null}";
    constexpr std::size_t Text_Chars = 260;
    Remote_Block block(search.found, sizeof(LVITEMW) + Text_Chars * sizeof(wchar_t));
    LRESULT count = SendMessageW(search.found, LVM_GETITEMCOUNT, 0, 0);
    std::string out = "{\"items\":[";
    for (LRESULT index = 0; index < count; ++index) {
        LVITEMW request{};
        request.iSubItem = 0;
        request.pszText = reinterpret_cast<wchar_t*>(block.Address() + sizeof(LVITEMW));
        request.cchTextMax = static_cast<int>(Text_Chars);
        wchar_t text[Text_Chars] = {};
        if (block.Write(0, &request, sizeof request))
            SendMessageW(search.found, LVM_GETITEMTEXTW, index, reinterpret_cast<LPARAM>(block.Address()));
        block.Read(sizeof(LVITEMW), text, (Text_Chars - 1) * sizeof(wchar_t));
        out += (index ? "," : "") + Json_Wide(text);
    }
    return out + "]}";
}

std::string Gone(HWND window, DWORD timeout_ms) {
    DWORD start = GetTickCount();
    while (IsWindow(window) && GetTickCount() - start < timeout_ms)
        Sleep(50);
    return std::string("{\"gone\":") + (IsWindow(window) ? "false" : "true") + "}";
}

std::string Use_Desktop(const std::string& name, DWORD timeout_ms) {
    DWORD start = GetTickCount();
    do {
        HDESK desktop = OpenDesktopA(name.c_str(), 0, FALSE, GENERIC_ALL);
        if (desktop != nullptr && SetThreadDesktop(desktop))
            return "{\"ok\":true}";
        if (desktop != nullptr)
            CloseDesktop(desktop);
        Sleep(100);
    } while (GetTickCount() - start < timeout_ms);
    return "{\"ok\":false}";
}

std::vector<std::string> Split_Tabs(const std::string& line) {
    std::vector<std::string> parts;
    std::string part;
    std::istringstream in(line);
    while (std::getline(in, part, '\t'))
        parts.push_back(part);
    return parts;
}

DWORD Timeout(const std::string& text) { return static_cast<DWORD>(std::strtoul(text.c_str(), nullptr, 10)); }

std::string Answer(const std::vector<std::string>& words) {
    const std::string& verb = words[0];
    std::size_t count = words.size();
    if (verb == "desktop" && count == 3)
        return Use_Desktop(words[1], Timeout(words[2]));
    if (verb == "find" && count == 4)
        return Find(words[1], words[2], Timeout(words[3]));
    if (verb == "list")
        return List();
    if (verb == "tree" && count == 2)
        return Tree_Of(Parse_Window(words[1]));
    if (verb == "focus" && count == 2)
        return Focus(Parse_Window(words[1]));
    if (verb == "dpi")
        return Dpi();
    if (verb == "icon" && count == 2)
        return Icon(Parse_Window(words[1]));
    if (verb == "select" && count == 3)
        return Select(Parse_Window(words[1]), words[2]);
    if (verb == "selected" && count == 2)
        return Selected(Parse_Window(words[1]));
    if (verb == "click" && count == 2)
        return std::string("{\"ok\":") + (PostMessageA(Parse_Window(words[1]), BM_CLICK, 0, 0) ? "true" : "false") +
               "}";
    if (verb == "close" && count == 2)
        return std::string("{\"ok\":") + (PostMessageA(Parse_Window(words[1]), WM_CLOSE, 0, 0) ? "true" : "false") +
               "}";
    if (verb == "settext" && count == 3)
        return Set_Text(Parse_Window(words[1]), words[2]);
    if (verb == "items" && count == 2)
        return Items(Parse_Window(words[1]));
    if (verb == "drop" && count >= 5)
        return Drop(Parse_Window(words[1]), std::atoi(words[2].c_str()), std::atoi(words[3].c_str()),
                    std::vector<std::string>(words.begin() + 4, words.end()));
    if (verb == "baseunits" && count == 3)
        return Base_Units(words[1], std::atoi(words[2].c_str()));
    if (verb == "listview" && count == 2)
        return List_View_Items(Parse_Window(words[1]));
    if (verb == "runwatch" && count == 4)
        return Run_Watch(words[1], Timeout(words[2]), words[3]);
    if (verb == "treeview" && count == 2)
        return Tree_View_Items(Parse_Window(words[1]));
    if (verb == "report" && count == 2)
        return List_View_Report(Parse_Window(words[1]));
    if (verb == "send" && count == 5)
        return Send_Numbers(Parse_Window(words[1]), words[2], words[3], words[4]);
    if (verb == "itemrect" && count == 3)
        return Item_Rect(Parse_Window(words[1]), std::atoi(words[2].c_str()));
    if (verb == "move" && count == 6)
        return Ok(MoveWindow(Parse_Window(words[1]), std::atoi(words[2].c_str()), std::atoi(words[3].c_str()),
                             std::atoi(words[4].c_str()), std::atoi(words[5].c_str()), TRUE) != FALSE);
    if (verb == "gone" && count == 3)
        return Gone(Parse_Window(words[1]), Timeout(words[2]));
    return "{\"error\":" + Json_Text("bad command: " + verb) + "}";
}

}  // namespace

int main() {
    SetProcessDPIAware();
    std::string line;
    while (std::getline(std::cin, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        std::vector<std::string> words = Split_Tabs(line);
        if (words.empty())
            continue;
        if (words[0] == "quit")
            break;
        std::cout << Answer(words) << std::endl;
    }
    return 0;
}
