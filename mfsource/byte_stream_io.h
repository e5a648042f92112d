// SPDX-License-Identifier: BSD-3-Clause
// An IMFByteStream as the library's source of bytes (zem_io), read
// synchronously on the thread that decodes.
#pragma once

#include <zem/zem.h>

#include <windows.h>
#include <mfidl.h>

namespace mfsource {

// The callbacks; their `user` is the IMFByteStream*, which must outlive the decoder.
const zem_io& ByteStreamIo(bool seekable);

}  // namespace mfsource
