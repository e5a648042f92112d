// SPDX-License-Identifier: BSD-3-Clause
#include "tools/zemfs/guarded.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <functional>
#include <new>
#include <stdexcept>

namespace zemfs {
namespace {

TEST(GuardedTest, NoExceptionLeavesAnOperation) {
    const struct {
        const char* what;
        std::function<int()> operation;
        int result;
    } cases[] = {
        {"a result", [] { return 42; }, 42},
        {"an error", [] { return -ENOENT; }, -ENOENT},
        {"out of memory", []() -> int { throw std::bad_alloc(); }, -ENOMEM},
        {"a length error", []() -> int { throw std::length_error("too long"); }, -EIO},
        {"anything else", []() -> int { throw 7; }, -EIO},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Guarded("/x.wav", c.operation), c.result) << c.what;
}

}  // namespace
}  // namespace zemfs
