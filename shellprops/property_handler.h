// SPDX-License-Identifier: BSD-3-Clause
// The read-only property handler the shell loads to show a file's length,
// format and tag (Explorer's columns, details pane and tooltips).
//
// Streams (.zem, .qrb) come as an IStream (IInitializeWithStream), the way
// the shell prefers, since it can then run the handler in a process of its
// own. A link file (.zlk) is different: its track's length needs its image's
// sample rate, and the image is named relative to the link's folder, which a
// stream does not tell. Link files therefore get a class of their own that
// offers only IInitializeWithFile, registered to run in the caller's process
// (the shell's isolated host hands out streams only). It reads the link file
// and what the library opens of the image (its header and tag), no audio.
#pragma once

#include <windows.h>

namespace shellprops {

// The class factories' makers: a handler for streams, one for link files.
HRESULT CreateStreamHandler(REFIID iid, void** out);
HRESULT CreateLinkHandler(REFIID iid, void** out);

}  // namespace shellprops
