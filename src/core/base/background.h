// Running heavy work off the calling thread while the calling thread keeps the window alive.
//
// The work runs on a worker thread (which may split it further across the cores); the calling
// thread lets pending user-interface events run once at the start and then after every short
// wait, calling `tick` first each time (to move a progress bar from counters the work raises). Only
// the calling thread touches the host. An exception thrown by the work is raised again on the
// calling thread once the worker has ended.
#pragma once

#include "base/host.h"

#include <chrono>
#include <exception>
#include <functional>
#include <future>
#include <thread>

namespace fringel {

inline void runWithEvents(Host& host, const std::function<void()>& work,
                          const std::function<void()>& tick = {}) {
    std::packaged_task<void()> task(work);
    std::future<void> done = task.get_future();
    std::thread worker(std::move(task));
    try {
        do {
            if (tick) tick();
            host.processEvents();
        } while (done.wait_for(std::chrono::milliseconds(15)) != std::future_status::ready);
    } catch (...) {
        // A tick or an event handler failed: the work still owns its data, so wait for it.
        worker.join();
        throw;
    }
    worker.join();
    if (tick) tick();
    done.get();
}

} // namespace fringel
