// SPDX-License-Identifier: BSD-3-Clause
#include "link/remote_path.h"

#include "platform/paths.h"

namespace zem {

const char kRemotePathReason[] =
    "it names a network or device path (\\\\host\\..., \\\\.\\, \\\\?\\), which could send the user's "
    "credentials to another machine";

// Two separators in front are a UNC or device path whatever follows; "\??\"
// is the system's own object namespace, reached from Win32 as well.
bool IsRemoteOrDevicePath(const WString& path) {
    if (path.size() >= 2 && IsPathSeparator(path[0]) && IsPathSeparator(path[1]))
        return true;
    return path.size() >= 4 && IsPathSeparator(path[0]) && path[1] == WTXT('?') && path[2] == WTXT('?') &&
           IsPathSeparator(path[3]);
}

}  // namespace zem
