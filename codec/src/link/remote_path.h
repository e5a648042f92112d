// SPDX-License-Identifier: BSD-3-Clause
// Names that reach beyond the local disks: UNC paths (\\host\share\...) and
// the device namespaces (\\.\..., \\?\..., \??\...), written with either
// separator. Opening one that a downloaded link file or cue sheet chose would
// make Windows connect to a host of the file's choosing and hand it the
// user's credentials, so they are refused unless the caller allows them.
#pragma once

#include "platform/win32.h"

namespace zem {

bool IsRemoteOrDevicePath(const WString& path);

// Why such a path is refused, for messages: "it names a network or device
// path (\\host\..., \\.\, \\?\), which is not opened unless allowed".
extern const char kRemotePathReason[];

}  // namespace zem
