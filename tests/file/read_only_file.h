// SPDX-License-Identifier: BSD-3-Clause
// Read-only files for tests: made the way the platform shows them (the
// read-only attribute on Windows, no write permission on Linux).
#pragma once

#include "platform/win32.h"
#include "tests/support/test_files.h"

#include <filesystem>

namespace testing_support {

inline void MakeReadOnly(const std::filesystem::path& path) {
    namespace fs = std::filesystem;
    fs::permissions(path, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
}

// Wine run by root lets every file be opened for writing, read-only attribute
// or not, where Windows refuses. Tests of read-only files check first, and on
// such a platform skip rather than fail. Our own Linux layer always honours it.
inline bool ReadOnlyAttributeHonoured(const TempDir& dir) {
#ifdef _WIN32
    WriteFileBytes(dir.File("read-only-probe"), BytesOf("probe"));
    MakeReadOnly(dir.File("read-only-probe"));
    HANDLE probe = CreateFileW(dir.WideFile("read-only-probe").c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
    if (probe == INVALID_HANDLE_VALUE)
        return true;
    CloseHandle(probe);
    return false;
#else
    (void)dir;
    return true;
#endif
}

}  // namespace testing_support

#define SKIP_UNLESS_READ_ONLY_HONOURED(dir)                                              \
    if (!testing_support::ReadOnlyAttributeHonoured(dir))                                \
    GTEST_SKIP() << "this platform lets the current user write read-only files"
