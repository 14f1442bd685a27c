// Splits a range of rows across the machine's cores.
//
// fn(begin, end) is called for disjoint sub-ranges that together cover [begin, end). Small
// ranges (fewer than minRowsPerThread rows per core) run on the calling thread. Only the
// calling thread may touch the host hooks; fn must not throw (check inputs before the split).
//
// The work goes to a pool of threads that live as long as the program, so short jobs do not
// pay for starting threads, and the threads stay on their cores between jobs. When the pool
// is busy (another thread's job, or a job inside a job), fresh threads do the work instead.
#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>
#include <thread>
#include <vector>

namespace fringel {

inline unsigned workerCount() {
    const unsigned n = std::thread::hardware_concurrency();
    return n == 0 ? 1 : n;
}

// Runs part(0) on the calling thread and part(1) .. part(parts - 1) on the pool; returns when
// all have ended. False, having run nothing, when the pool is busy.
bool runOnPool(std::int64_t parts, const std::function<void(std::int64_t)>& part);

template <typename Fn>
void parallelRows(std::int64_t begin, std::int64_t end, std::int64_t minRowsPerThread, Fn&& fn) {
    const std::int64_t rows = end - begin;
    if (rows <= 0) return;
    const auto threads = static_cast<std::int64_t>(std::min<std::int64_t>(
        workerCount(),
        std::max<std::int64_t>(1, rows / std::max<std::int64_t>(1, minRowsPerThread))));
    if (threads <= 1) {
        fn(begin, end);
        return;
    }
    const std::int64_t chunk = (rows + threads - 1) / threads;
    const auto part = [&fn, begin, end, chunk](std::int64_t t) {
        const std::int64_t b = begin + t * chunk;
        const std::int64_t e = std::min(end, b + chunk);
        if (b < e) fn(b, e);
    };
    if (runOnPool(threads, part)) return;
    std::vector<std::jthread> pool;
    pool.reserve(static_cast<std::size_t>(threads - 1));
    for (std::int64_t t = 1; t < threads; ++t)
        pool.emplace_back([&part, t] { part(t); });
    part(0);
}

} // namespace fringel
