// Splits a range of rows across the machine's cores.
//
// fn(begin, end) is called for disjoint sub-ranges that together cover [begin, end). Small
// ranges (fewer than minRowsPerThread rows per core) run on the calling thread. Only the
// calling thread may touch the host hooks; fn must not throw (check inputs before the split).
#pragma once

#include <algorithm>
#include <cstdint>
#include <thread>
#include <vector>

namespace fringel {

inline unsigned workerCount() {
    const unsigned n = std::thread::hardware_concurrency();
    return n == 0 ? 1 : n;
}

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
    std::vector<std::jthread> pool;
    pool.reserve(static_cast<std::size_t>(threads - 1));
    const std::int64_t chunk = (rows + threads - 1) / threads;
    for (std::int64_t t = 1; t < threads; ++t) {
        const std::int64_t b = begin + t * chunk;
        const std::int64_t e = std::min(end, b + chunk);
        if (b < e) pool.emplace_back([&fn, b, e] { fn(b, e); });
    }
    fn(begin, std::min(end, begin + chunk));
}

} // namespace fringel
