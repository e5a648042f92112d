// SPDX-License-Identifier: BSD-3-Clause
// IMFByteStreamHandler, which MinGW-w64's <mfidl.h> lacks: the interface the
// source resolver asks of a byte-stream handler, as Windows declares it.
#pragma once

#include <windows.h>
#include <mfidl.h>
#include <propsys.h>

// {BB420AA4-765B-4A1F-91FE-D6A8A143924C}
inline constexpr IID kIID_IMFByteStreamHandler = {0xbb420aa4, 0x765b, 0x4a1f,
                                                  {0x91, 0xfe, 0xd6, 0xa8, 0xa1, 0x43, 0x92, 0x4c}};

struct IMFByteStreamHandler : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE BeginCreateObject(IMFByteStream* byteStream, LPCWSTR url, DWORD flags,
                                                        IPropertyStore* properties, IUnknown** cancelCookie,
                                                        IMFAsyncCallback* callback, IUnknown* state) = 0;
    virtual HRESULT STDMETHODCALLTYPE EndCreateObject(IMFAsyncResult* result, MF_OBJECT_TYPE* type,
                                                      IUnknown** object) = 0;
    virtual HRESULT STDMETHODCALLTYPE CancelObjectCreation(IUnknown* cancelCookie) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetMaxNumberOfBytesRequiredForResolution(QWORD* bytes) = 0;
};
