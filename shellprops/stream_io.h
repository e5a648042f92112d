// SPDX-License-Identifier: BSD-3-Clause
// An IStream as the library's source of bytes (zem_io): the shell hands the
// handler a stream, which may be a file, a part of an archive or a download.
#pragma once

#include <zem/zem.h>

#include <windows.h>
#include <objidl.h>

namespace shellprops {

// The callbacks; their `user` is the IStream*, which must outlive the decoder.
const zem_io& StreamIo();
// The stream's length in bytes, or -1 when it does not say.
int64_t StreamSize(IStream* stream);

}  // namespace shellprops
