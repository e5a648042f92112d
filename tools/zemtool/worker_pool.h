// SPDX-License-Identifier: BSD-3-Clause
// Runs numbered pieces of work on a few threads, each taking the next piece
// as soon as it is free.
#pragma once

#include <cstddef>
#include <functional>

namespace zemtool {

// Calls `work(i)` for every i below `count` on `workers` threads (the
// calling thread alone when `workers` is 1), and returns when all are done.
void RunOnWorkers(size_t count, int workers, const std::function<void(size_t)>& work);

}  // namespace zemtool
