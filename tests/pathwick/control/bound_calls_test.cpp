// SPDX-License-Identifier: BSD-3-Clause
// Clients that bind through the type library: the slots and dispatch view it
// describes, and calls through ITypeInfo::Invoke on a control that is in place
// in a window.
#include "pathwick/control/dispatch_call.h"
#include "pathwick/control/explorer_object.h"
#include "tests/pathwick/control/library_path.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

using namespace pathwick;

namespace {

const wchar_t* const MethodNames[] = {L"SortListview", L"Terminate", L"RefreshFileLists", L"SetHeaderIcons"};

// The dispatch view (as found by its identifier) and the interface view of _Explorer.
struct Views {
    ITypeLib* library = nullptr;
    ITypeInfo* dispatch = nullptr;
    ITypeInfo* vtable = nullptr;
    ~Views() {
        for (IUnknown* held : {static_cast<IUnknown*>(vtable), static_cast<IUnknown*>(dispatch),
                               static_cast<IUnknown*>(library)})
            if (held) held->Release();
    }
    bool Load() {
        HREFTYPE reference = 0;
        return LoadTypeLibEx(LibraryPath().c_str(), REGKIND_NONE, &library) == S_OK &&
               library->GetTypeInfoOfGuid(IID__Explorer, &dispatch) == S_OK &&
               dispatch->GetRefTypeOfImplType(-1, &reference) == S_OK &&
               dispatch->GetRefTypeInfo(reference, &vtable) == S_OK;
    }
};

// name -> (member id, vtable offset) of every function a view lists.
struct Function {
    std::wstring name;
    MEMBERID id;
    SHORT offset;
};
std::vector<Function> FunctionsOf(ITypeInfo* info) {
    std::vector<Function> functions;
    TYPEATTR* attributes = nullptr;
    if (info->GetTypeAttr(&attributes) != S_OK) return functions;
    for (UINT index = 0; index < attributes->cFuncs; ++index) {
        FUNCDESC* description = nullptr;
        if (info->GetFuncDesc(index, &description) != S_OK) continue;
        BSTR name = nullptr;
        info->GetDocumentation(description->memid, &name, nullptr, nullptr, nullptr);
        functions.push_back({name ? name : L"", description->memid, description->oVft});
        SysFreeString(name);
        info->ReleaseFuncDesc(description);
    }
    info->ReleaseTypeAttr(attributes);
    return functions;
}

std::vector<std::wstring> RowTexts(HWND list) {
    std::vector<std::wstring> texts;
    int count = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    for (int row = 0; row < count; ++row) {
        wchar_t text[MAX_PATH] = {};
        LVITEMW item{};
        item.pszText = text;
        item.cchTextMax = MAX_PATH;
        SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
        texts.push_back(text);
    }
    return texts;
}

int CALLBACK ReverseRows(LPARAM first, LPARAM second, LPARAM) {
    return first < second ? 1 : first > second ? -1 : 0;
}

bool HeaderArrowOn(HWND list, int column) {
    auto header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
    HDITEMW item{};
    item.mask = HDI_FORMAT;
    SendMessageW(header, HDM_GETITEMW, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&item));
    return (item.fmt & HDF_IMAGE) != 0;
}

}  // namespace

TEST(BoundCalls, TypeLibraryPutsTheMethodsAfterIDispatch) {
    Views views;
    ASSERT_TRUE(views.Load());
    std::vector<Function> slots = FunctionsOf(views.vtable);
    ASSERT_EQ(slots.size(), 4u);
    for (size_t index = 0; index < 4; ++index) {
        EXPECT_EQ(slots[index].name, MethodNames[index]);
        EXPECT_EQ(slots[index].id, static_cast<MEMBERID>(index + 1));
        EXPECT_EQ(slots[index].offset, static_cast<SHORT>((7 + index) * sizeof(void*))) << "slot " << 7 + index;
    }
    TYPEATTR* attributes = nullptr;
    ASSERT_EQ(views.vtable->GetTypeAttr(&attributes), S_OK);
    EXPECT_EQ(attributes->cbSizeVft, 11 * sizeof(void*));
    views.vtable->ReleaseTypeAttr(attributes);

    std::vector<Function> dispatched = FunctionsOf(views.dispatch);
    EXPECT_EQ(dispatched.size(), 11u) << "IUnknown's three, IDispatch's four and the control's four";
    for (size_t index = 0; index < 4; ++index) {
        auto found = std::find_if(dispatched.begin(), dispatched.end(),
                                  [&](const Function& f) { return f.name == MethodNames[index]; });
        ASSERT_NE(found, dispatched.end()) << "the dispatch view lacks " << index + 1;
        EXPECT_EQ(found->id, static_cast<MEMBERID>(index + 1));
        EXPECT_EQ(found->offset, slots[index].offset);
    }

    // The base is the system's IDispatch, from the standard library the type library imports.
    HREFTYPE reference = 0;
    ITypeInfo* base = nullptr;
    ITypeLib* baseLibrary = nullptr;
    UINT index = 0;
    BSTR baseName = nullptr, baseLibraryName = nullptr;
    ASSERT_EQ(views.vtable->GetRefTypeOfImplType(0, &reference), S_OK);
    ASSERT_EQ(views.vtable->GetRefTypeInfo(reference, &base), S_OK);
    ASSERT_EQ(base->GetContainingTypeLib(&baseLibrary, &index), S_OK);
    base->GetDocumentation(MEMBERID_NIL, &baseName, nullptr, nullptr, nullptr);
    baseLibrary->GetDocumentation(-1, &baseLibraryName, nullptr, nullptr, nullptr);
    EXPECT_EQ(std::wstring(baseName), L"IDispatch");
    EXPECT_EQ(std::wstring(baseLibraryName), L"stdole");
    SysFreeString(baseName);
    SysFreeString(baseLibraryName);
    baseLibrary->Release();
    base->Release();
}

TEST(BoundCalls, EachMethodRunsThroughTheTypeInfo) {
    Views views;
    ASSERT_TRUE(views.Load());
    std::vector<Function> slots = FunctionsOf(views.vtable);
    ASSERT_TRUE(!slots.empty() && slots[0].offset == 7 * sizeof(void*)) << "calls would land in IDispatch";
    HMODULE atl = LoadLibraryW(L"atl.dll");
    using Attach = HRESULT(WINAPI*)(IUnknown*, HWND, IUnknown**);
    auto attach = atl ? reinterpret_cast<Attach>(reinterpret_cast<void*>(GetProcAddress(atl, "AtlAxAttachControl")))
                      : nullptr;
    ASSERT_NE(attach, nullptr);
    // Linked into this program, the control keeps its settings beside it: start without any.
    const std::wstring settings = BesideTheProgram(L"Pathwick.ini");
    DeleteFileW(settings.c_str());
    HWND window = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 640, 400, nullptr, nullptr, nullptr, nullptr);
    _Explorer* control = nullptr;
    ASSERT_EQ(ExplorerObject::Create(IID__Explorer, reinterpret_cast<void**>(&control)), S_OK);
    IUnknown* container = nullptr;
    ASSERT_EQ(attach(control, window, &container), S_OK);
    HWND tree = FindWindowExW(GetWindow(window, GW_CHILD), nullptr, WC_TREEVIEWW, nullptr);
    HWND list = FindWindowExW(GetWindow(window, GW_CHILD), nullptr, WC_LISTVIEWW, nullptr);
    ASSERT_TRUE(tree && list);
    std::vector<std::wstring> sorted = RowTexts(list);
    ASSERT_GE(sorted.size(), 2u) << "the desktop shows too little to sort";

    auto invoke = [&](MEMBERID id, std::vector<VARIANT> arguments = {}) {
        DISPPARAMS parameters{arguments.data(), nullptr, static_cast<UINT>(arguments.size()), 0};
        UINT bad = 0;
        return views.vtable->Invoke(control, id, DISPATCH_METHOD, &parameters, nullptr, nullptr, &bad);
    };
    LONG column = 1, order = 1;
    VARIANT byReference[2];  // last argument first
    byReference[0].vt = byReference[1].vt = VT_I4 | VT_BYREF;
    byReference[0].plVal = &order;
    byReference[1].plVal = &column;
    EXPECT_EQ(invoke(SetHeaderIconsId, {byReference[0], byReference[1]}), S_OK);
    EXPECT_TRUE(HeaderArrowOn(list, 1));
    EXPECT_FALSE(HeaderArrowOn(list, 0));

    SendMessageW(list, LVM_SORTITEMSEX, 0, reinterpret_cast<LPARAM>(&ReverseRows));
    ASSERT_NE(RowTexts(list), sorted);
    SendMessageW(list, LVM_DELETEITEM, 0, 0);  // the last row of the sorted order
    EXPECT_EQ(invoke(SortListviewId), S_OK);  // sorted again, the arrow back on the sort key
    EXPECT_EQ(RowTexts(list), std::vector<std::wstring>(sorted.begin(), sorted.end() - 1));
    EXPECT_TRUE(HeaderArrowOn(list, 0));

    EXPECT_EQ(invoke(RefreshFileListsId), S_OK);  // filled again, the deleted row back
    EXPECT_EQ(RowTexts(list), sorted);

    EXPECT_EQ(invoke(TerminateId), S_OK);  // the tree and the list cleared
    EXPECT_EQ(SendMessageW(tree, TVM_GETCOUNT, 0, 0), 0);
    EXPECT_EQ(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0), 0);

    container->Release();
    control->Release();
    DestroyWindow(window);
    DeleteFileW(settings.c_str());
}
