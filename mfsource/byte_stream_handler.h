// SPDX-License-Identifier: BSD-3-Clause
// The byte-stream handler Media Foundation's source resolver creates for
// .zem, .qrb and .zlk files (and the content type audio/x-zem): it makes the
// media source of a byte stream. A stream is read from the byte stream itself;
// a link file is opened by the byte stream's origin name (or the URL), since
// its image is named relative to the link's folder, and a link whose image
// does not open fails with ERROR_FILE_NOT_FOUND. Anything else is
// MF_E_UNSUPPORTED_FORMAT, so that the resolver may try other handlers.
#pragma once

#include <windows.h>

namespace mfsource {

HRESULT CreateByteStreamHandler(REFIID iid, void** out);

}  // namespace mfsource
