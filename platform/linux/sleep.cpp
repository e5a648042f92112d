// SPDX-License-Identifier: BSD-3-Clause
#include "platform/linux/win32_linux.h"

#include <cerrno>
#include <time.h>

void Sleep(DWORD milliseconds) {
    timespec wait{static_cast<time_t>(milliseconds / 1000), static_cast<long>(milliseconds % 1000) * 1000000L};
    while (nanosleep(&wait, &wait) != 0 && errno == EINTR) {
    }
}
