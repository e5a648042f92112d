// SPDX-License-Identifier: BSD-3-Clause
// Late-bound calls of the control: argument forms, write-back and refusals.
#include "pathwick/control/dispatch_call.h"
#include "pathwick/control/explorer_object.h"

#include <gtest/gtest.h>

using namespace pathwick;

namespace {

VARIANT Long(LONG value) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_I4;
    v.lVal = value;
    return v;
}

}  // namespace

TEST(DispatchArguments, ReadsEveryFormAndWritesBackByReference) {
    LONG byReference = 7;
    VARIANT referenced;
    VariantInit(&referenced);
    referenced.vt = VT_I2;
    referenced.iVal = -3;
    VARIANT text;
    VariantInit(&text);
    text.vt = VT_BSTR;
    text.bstrVal = SysAllocString(L"12");
    VARIANT words;
    VariantInit(&words);
    words.vt = VT_BSTR;
    words.bstrVal = SysAllocString(L"twelve");

    VARIANT forms[5];
    for (auto& form : forms) VariantInit(&form);
    forms[0].vt = VT_I4 | VT_BYREF, forms[0].plVal = &byReference;
    forms[1].vt = VT_VARIANT | VT_BYREF, forms[1].pvarVal = &referenced;
    forms[2] = text;
    forms[3] = words;
    forms[4].vt = VT_I4 | VT_BYREF, forms[4].plVal = nullptr;
    const struct {
        bool readable;
        LONG value;
    } expected[] = {{true, 7}, {true, -3}, {true, 12}, {false, 0}, {false, 0}};
    for (int index = 0; index < 5; ++index) {
        LONG value = 0;
        EXPECT_EQ(ReadLongArgument(forms[index], value), expected[index].readable) << index;
        if (expected[index].readable) {
            EXPECT_EQ(value, expected[index].value) << index;
        }
    }
    WriteLongArgument(forms[0], 41);
    WriteLongArgument(forms[1], 42);
    WriteLongArgument(forms[2], 43);  // by value: stays
    EXPECT_EQ(byReference, 41);
    EXPECT_EQ(referenced.vt, VT_I4);
    EXPECT_EQ(referenced.lVal, 42);
    EXPECT_EQ(std::wstring(forms[2].bstrVal), L"12");
    VariantClear(&text);
    VariantClear(&words);
}

TEST(DispatchArguments, InvokeRefusesWhatTheMethodsDoNotTake) {
    IDispatch* control = nullptr;
    ASSERT_EQ(ExplorerObject::Create(IID_IDispatch, reinterpret_cast<void**>(&control)), S_OK);
    VARIANT two[2] = {Long(1), Long(2)};
    DISPPARAMS none{}, pair{two, nullptr, 2, 0};
    DISPID named = 0;
    DISPPARAMS withName{two, &named, 2, 1};
    UINT bad = 99;
    EXPECT_EQ(control->Invoke(SortListviewId, IID_NULL, 0, DISPATCH_METHOD, &pair, nullptr, nullptr, &bad),
              DISP_E_BADPARAMCOUNT);
    EXPECT_EQ(control->Invoke(SetHeaderIconsId, IID_NULL, 0, DISPATCH_METHOD, &none, nullptr, nullptr, &bad),
              DISP_E_BADPARAMCOUNT);
    EXPECT_EQ(control->Invoke(SetHeaderIconsId, IID_NULL, 0, DISPATCH_METHOD, &withName, nullptr, nullptr, &bad),
              DISP_E_NONAMEDARGS);
    EXPECT_EQ(control->Invoke(99, IID_NULL, 0, DISPATCH_METHOD, &none, nullptr, nullptr, &bad), DISP_E_MEMBERNOTFOUND);
    EXPECT_EQ(control->Invoke(SortListviewId, IID_IDispatch, 0, DISPATCH_METHOD, &none, nullptr, nullptr, &bad),
              DISP_E_UNKNOWNINTERFACE);
    VARIANT mismatch[2] = {Long(1), {}};
    VariantInit(&mismatch[1]);
    mismatch[1].vt = VT_DISPATCH;
    mismatch[1].pdispVal = nullptr;
    DISPPARAMS wrongType{mismatch, nullptr, 2, 0};
    EXPECT_EQ(control->Invoke(SetHeaderIconsId, IID_NULL, 0, DISPATCH_METHOD, &wrongType, nullptr, nullptr, &bad),
              DISP_E_TYPEMISMATCH);
    EXPECT_EQ(bad, 1u);  // iActiveColumn, the first argument, travels last
    // Without a window the methods do nothing, but they must not fail or crash.
    LONG column = 2, order = 1;
    VARIANT references[2];
    VariantInit(&references[0]);
    VariantInit(&references[1]);
    references[1].vt = VT_I4 | VT_BYREF, references[1].plVal = &column;
    references[0].vt = VT_I4 | VT_BYREF, references[0].plVal = &order;
    DISPPARAMS byReference{references, nullptr, 2, 0};
    EXPECT_EQ(control->Invoke(SetHeaderIconsId, IID_NULL, 0, DISPATCH_METHOD, &byReference, nullptr, nullptr, &bad),
              S_OK);
    EXPECT_EQ(column, 2);
    EXPECT_EQ(order, 1);
    for (DISPID id : {SortListviewId, RefreshFileListsId, TerminateId})
        EXPECT_EQ(control->Invoke(id, IID_NULL, 0, DISPATCH_METHOD, &none, nullptr, nullptr, &bad), S_OK) << id;
    EXPECT_EQ(control->Release(), 0u);
}
