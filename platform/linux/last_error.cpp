// SPDX-License-Identifier: BSD-3-Clause
// The calling thread's last-error value, as Win32 keeps it per thread.
#include "platform/linux/win32_linux.h"

namespace {
thread_local DWORD t_lastError = ERROR_SUCCESS;
}

DWORD GetLastError() { return t_lastError; }

void SetLastError(DWORD error) { t_lastError = error; }
