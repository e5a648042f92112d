// SPDX-License-Identifier: BSD-3-Clause
#include "pathwick/control/dispatch_call.h"

#include "pathwick/control/explorer_object.h"

namespace pathwick {

bool ReadLongArgument(const VARIANT& argument, LONG& value) {
    if (argument.vt == (VT_I4 | VT_BYREF)) {
        if (!argument.plVal) return false;
        value = *argument.plVal;
        return true;
    }
    const VARIANT* source = &argument;
    if (argument.vt == (VT_VARIANT | VT_BYREF)) {
        if (!argument.pvarVal) return false;
        source = argument.pvarVal;
    }
    VARIANT converted;
    VariantInit(&converted);
    if (FAILED(VariantChangeType(&converted, const_cast<VARIANT*>(source), 0, VT_I4))) return false;
    value = converted.lVal;
    return true;
}

void WriteLongArgument(VARIANT& argument, LONG value) {
    if (argument.vt == (VT_I4 | VT_BYREF) && argument.plVal) {
        *argument.plVal = value;
    } else if (argument.vt == (VT_VARIANT | VT_BYREF) && argument.pvarVal) {
        VariantClear(argument.pvarVal);
        argument.pvarVal->vt = VT_I4;
        argument.pvarVal->lVal = value;
    }
}

HRESULT ExplorerObject::InvokeMethod(DISPID id, DISPPARAMS* parameters, UINT* badArgument) {
    UINT count = parameters ? parameters->cArgs : 0;
    if (parameters && parameters->cNamedArgs != 0) return DISP_E_NONAMEDARGS;
    UINT expected = id == SetHeaderIconsId ? 2 : 0;
    if (id < SortListviewId || id > SetHeaderIconsId) return DISP_E_MEMBERNOTFOUND;
    if (count != expected) return DISP_E_BADPARAMCOUNT;
    switch (id) {
    case SortListviewId: return SortListview();
    case TerminateId: return Terminate();
    case RefreshFileListsId: return RefreshFileLists();
    default: break;
    }
    // Arguments arrive last first: rgvarg[1] is iActiveColumn, rgvarg[0] iSortOrder.
    LONG column = 0, order = 0;
    for (UINT index : {1u, 0u}) {
        if (!ReadLongArgument(parameters->rgvarg[index], index == 1 ? column : order)) {
            if (badArgument) *badArgument = index;
            return DISP_E_TYPEMISMATCH;
        }
    }
    HRESULT status = SetHeaderIcons(&column, &order);
    WriteLongArgument(parameters->rgvarg[1], column);
    WriteLongArgument(parameters->rgvarg[0], order);
    return status;
}

}  // namespace pathwick
