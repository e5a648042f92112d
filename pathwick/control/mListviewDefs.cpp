// SPDX-License-Identifier: BSD-3-Clause
#include "pathwick/control/mListviewDefs.h"

#include "pathwick/control/components/mouse_pointer.h"
#include "pathwick/control/drag_out.h"
#include "pathwick/control/explorer_control.h"
#include "pathwick/control/file_details.h"
#include "pathwick/control/mGlobal.h"
#include "pathwick/control/mIShellFolderDefs.h"
#include "pathwick/control/mShellDefs.h"
#include "pathwick/control/mTreeviewDefs.h"
#include "pathwick/control/mWindowDefs.h"
#include "pathwick/control/settings_file.h"
#include "pathwick/core/settings.h"

namespace pathwick {

std::map<std::string, Pidl> gItemPidls;
com::ComRef<IShellFolder> gCurrentFolder;

namespace {

constexpr ULONG FolderAttribute = 536870912;
constexpr ULONG SharedAttribute = 131072;
constexpr ULONG ShortcutAttribute = 65536;
constexpr ULONG FileSystemAttribute = 0x40000000;
constexpr UINT NameTitle = 8976, SizeTitle = 8978, TypeTitle = 8979, ModifiedTitle = 8980;

// Whether the list shows the four fixed columns, whose widths the settings keep.
bool gFixedColumnsShown = false;

std::string KeyOf(LPARAM parameter) {
    return std::to_string(static_cast<long long>(parameter));
}

// The shell's own columns; false when the folder offers none.
bool AddShellColumns(ListView& list, IShellDetails* details) {
    for (UINT column = 0;; ++column) {
        SHELLDETAILS header{};
        if (!Succeeded(details->GetDetailsOf(nullptr, column, &header))) break;
        std::wstring title = StrRetToString(header.str, nullptr);
        list.AddColumn(title, 6 * header.cxChar,
                       header.fmt == LVCFMT_RIGHT ? ColumnAlignment::Right : ColumnAlignment::Left);
    }
    return list.ColumnCount() > 0;
}

void AddFixedColumns(ListView& list, bool fileSystem) {
    auto& store = SettingsStore();
    if (fileSystem) {
        list.AddColumn(FixedColumnTitle(NameTitle), LoadColumnWidth(store, 1), ColumnAlignment::Left);
        list.AddColumn(FixedColumnTitle(SizeTitle), LoadColumnWidth(store, 2), ColumnAlignment::Right);
        list.AddColumn(FixedColumnTitle(TypeTitle), LoadColumnWidth(store, 3), ColumnAlignment::Left);
        list.AddColumn(FixedColumnTitle(ModifiedTitle), LoadColumnWidth(store, 4), ColumnAlignment::Left);
        gFixedColumnsShown = true;
    } else {
        list.AddColumn(FixedColumnTitle(NameTitle), LoadColumnWidth(store, 1), ColumnAlignment::Left);
        list.AddColumn(FixedColumnTitle(TypeTitle), 160, ColumnAlignment::Left);
    }
}

void SetRowImage(ListView& list, int row, ConstPidl pidlFQ, ULONG attributes) {
    LVITEMW item{};
    item.mask = LVIF_IMAGE;
    item.iItem = row;
    item.iImage = GetIconIndex(pidlFQ, 1);
    if (attributes & (SharedAttribute | ShortcutAttribute)) {
        item.mask |= LVIF_STATE;
        item.stateMask = LVIS_OVERLAYMASK;
        item.state = INDEXTOOVERLAYMASK((attributes & SharedAttribute) ? 1 : 2);
    }
    SendMessageW(list.hWnd(), LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
}

void SetDetailCells(ListView& list, int row, IShellFolder* folder, ConstPidl pidlFQ, ConstPidl pidlRel,
                    IShellDetails* details, bool fileSystem, ULONG attributes) {
    if (details) {
        for (int column = 2; column <= list.ColumnCount(); ++column) {
            SHELLDETAILS cell{};
            if (Succeeded(details->GetDetailsOf(AsChild(pidlRel), static_cast<UINT>(column - 1), &cell)))
                list.SetSubItem(row, column, StrRetToString(cell.str, pidlRel));
        }
    } else if (fileSystem) {
        list.SetSubItem(row, 3, GetTypeName(pidlFQ));
        if (!(attributes & FolderAttribute)) {
            FileCells cells;
            if (LookUpFile(GetPathFromPidl(pidlFQ), cells)) {
                list.SetSubItem(row, 2, cells.size);
                list.SetSubItem(row, 4, cells.modified);
            }
        }
    } else {
        list.SetSubItem(row, 2, GetTypeName(pidlFQ));
    }
}

// Enumerates `folder` into rows; returns how many.
int AddRows(ListView& list, IShellFolder* folder, ConstPidl pidlFQ, IShellDetails* details, bool fileSystem) {
    com::ComRef<IEnumIDList> items;
    HWND owner = GetTopLevelParent(list.hWnd());
    DWORD flags = SHCONTF_FOLDERS | SHCONTF_NONFOLDERS | SHCONTF_INCLUDEHIDDEN;
    if (!Succeeded(folder->EnumObjects(owner, flags, items.Out())) || !items) return 0;
    int rows = 0;
    LPITEMIDLIST child = nullptr;
    while (items->Next(1, &child, nullptr) == S_OK && child) {
        Pidl relative = reinterpret_cast<Pidl>(child);
        Pidl absolute = CombinePidls(ClonePidl(pidlFQ), ClonePidl(relative), true, true);
        if (absolute && AddListItem(list, folder, absolute, relative, details, fileSystem)) ++rows;
        FreePidl(absolute);
        FreePidl(relative);
        child = nullptr;
    }
    return rows;
}

void SelectFirstRow(ListView& list) {
    int selected = list.SelectedRow();
    if (selected >= 0) list.SetRowState(selected, 0, LVIS_SELECTED);
    SortRows(list);
    UpdateWindow(list.hWnd());
    list.SetRowState(0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    SendMessageW(list.hWnd(), LVM_ENSUREVISIBLE, 0, FALSE);
}

}  // namespace

std::wstring FixedColumnTitle(UINT stringId) {
    std::wstring title = LoadShellString(stringId);
    if (!title.empty()) return title;
    switch (stringId) {
    case NameTitle: return L"Name";
    case SizeTitle: return L"Size";
    case TypeTitle: return L"Type";
    default: return L"Modified";
    }
}

void FillListView(ListView& list, ConstPidl pidlFQ, ConstPidl pidlRel) {
    BusyPointer busy;
    HWND owner = GetTopLevelParent(list.hWnd());
    com::ComRef<IShellFolder> folder = BindToFolderOrNone(pidlFQ);
    com::ComRef<IShellFolder> parent = GetParentFolder(pidlFQ);
    bool fileSystem = GetAttributes(parent.Get(), pidlRel, FileSystemAttribute) != 0;
    ClearListView(list);
    com::ComRef<IShellDetails> details;
    if (!folder || !Succeeded(folder->CreateViewObject(owner, IID_IShellDetails_, details.OutVoid()))) details.Reset();
    if (!details || !AddShellColumns(list, details.Get())) {
        details.Reset();
        AddFixedColumns(list, fileSystem);
    }
    if (folder && AddRows(list, folder.Get(), pidlFQ, details.Get(), fileSystem) > 0) {
        gCurrentFolder = folder;
        SelectFirstRow(list);
    }
}

LPARAM AddListItem(ListView& list, IShellFolder* folder, ConstPidl pidlFQ, ConstPidl pidlRel, IShellDetails* details,
                   bool fileSystem) {
    ULONG attributes = GetAttributes(folder, pidlRel, FolderAttribute | SharedAttribute | ShortcutAttribute);
    LPARAM parameter = list.AddRow(GetDisplayName(folder, pidlRel, SHGDN_INFOLDER));
    Pidl copy = parameter ? ClonePidl(pidlRel) : nullptr;
    if (!copy) {
        if (parameter) SendMessageW(list.hWnd(), LVM_DELETEITEM, static_cast<WPARAM>(list.RowCount() - 1), 0);
        return 0;  // a row without its identifier could never be sorted, opened or dragged
    }
    int row = list.RowCount() - 1;
    SetDetailCells(list, row, folder, pidlFQ, pidlRel, details, fileSystem, attributes);
    SetRowImage(list, row, pidlFQ, attributes);
    gItemPidls[KeyOf(parameter)] = copy;
    return parameter;
}

void ClearListView(ListView& list) {
    for (auto& entry : gItemPidls) FreePidl(entry.second);
    gItemPidls.clear();
    if (gMalloc) gMalloc->HeapMinimize();
    list.ClearRows();
    list.ClearColumns();
    gFixedColumnsShown = false;
    list.ArrangeFromTop();
    UpdateWindow(list.hWnd());
}

void SaveColumnWidths(ListView& list) {
    // Only the fixed columns are ever read back; the two-column set of a
    // virtual folder would otherwise overwrite the size column's width.
    if (!gFixedColumnsShown) return;
    std::vector<int> widths;
    for (int column = 1; column <= list.ColumnCount(); ++column) widths.push_back(list.ColumnWidth(column));
    pathwick::SaveColumnWidths(SettingsStore(), widths);
}

int CALLBACK CompareListItems(LPARAM first, LPARAM second, LPARAM sortParameter) {
    auto a = gItemPidls.find(KeyOf(first));
    auto b = gItemPidls.find(KeyOf(second));
    if (!gCurrentFolder || a == gItemPidls.end() || b == gItemPidls.end()) return 0;
    auto parameter = static_cast<unsigned>(sortParameter);
    HRESULT status = gCurrentFolder->CompareIDs(parameter & ~DescendingBit, AsRelative(a->second),
                                                AsRelative(b->second));
    if (!Succeeded(status)) return 0;
    return ComparisonResult(status, parameter);
}

void SortRows(ListView& list) {
    long key = list.Sort.SortKey();
    long order = list.Sort.SortOrder();
    if (gExplorer) gExplorer->SetHeaderIcons(key, order);
    SendMessageW(list.hWnd(), LVM_SORTITEMS, static_cast<WPARAM>(list.Sort.SortParameter()),
                 reinterpret_cast<LPARAM>(&CompareListItems));
}

}  // namespace pathwick
