// SPDX-License-Identifier: BSD-3-Clause
#include "tools/zemtool/worker_pool.h"

#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>

namespace zemtool {

void RunOnWorkers(size_t count, int workers, const std::function<void(size_t)>& work) {
    std::atomic<size_t> next{0};
    auto loop = [&] {
        for (size_t i = next++; i < count; i = next++)
            work(i);
    };
    const size_t threads = std::min(count, static_cast<size_t>(std::max(workers, 1)));
    std::vector<std::thread> pool;
    for (size_t t = 1; t < threads; ++t)
        pool.emplace_back(loop);
    loop();
    for (std::thread& thread : pool)
        thread.join();
}

}  // namespace zemtool
