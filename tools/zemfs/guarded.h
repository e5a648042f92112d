// SPDX-License-Identifier: BSD-3-Clause
// No exception may leave a FUSE operation: libfuse would end the process, and
// the mount with it ("Transport endpoint is not connected"). An operation runs
// through Guarded, which turns what it throws into a failed request.
#pragma once

#include "tools/zemfs/log.h"

#include <cerrno>
#include <exception>
#include <new>
#include <string>

namespace zemfs {

// The operation's result, or -ENOMEM when it ran out of memory and -EIO for
// any other exception (logged with `path`).
template <typename Operation>
int Guarded(const char* path, const Operation& operation) noexcept {
    try {
        return operation();
    } catch (const std::bad_alloc&) {
        LogLine(std::string(path ? path : "") + ": out of memory");
        return -ENOMEM;
    } catch (const std::exception& e) {
        LogLine(std::string(path ? path : "") + ": " + e.what());
        return -EIO;
    } catch (...) {
        return -EIO;
    }
}

}  // namespace zemfs
