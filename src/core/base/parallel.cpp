#include "base/parallel.h"

#include <atomic>
#include <condition_variable>
#include <exception>
#include <mutex>

namespace fringel {

namespace {

// workerCount() - 1 threads that wait for parts of one job at a time.
class WorkerPool {
public:
    WorkerPool() {
        for (unsigned i = 1; i < workerCount(); ++i)
            threads_.emplace_back([this](std::stop_token stop) { serve(stop); });
    }
    ~WorkerPool() {
        {
            std::lock_guard lock(mutex_);
            for (auto& t : threads_)
                t.request_stop();
        }
        wake_.notify_all();
    }

    bool run(std::int64_t parts, const std::function<void(std::int64_t)>& part) {
        if (parts - 1 > static_cast<std::int64_t>(threads_.size())) return false;
        if (busy_.exchange(true)) return false; // another job, or this one's own part
        {
            std::lock_guard lock(mutex_);
            part_ = &part;
            next_ = 1;
            parts_ = parts;
            running_ = parts - 1;
            ++job_;
        }
        wake_.notify_all();
        std::exception_ptr failure;
        try {
            part(0);
        } catch (...) {
            failure = std::current_exception(); // the other parts still use `part`: wait
        }
        {
            std::unique_lock lock(mutex_);
            finished_.wait(lock, [this] { return running_ == 0; });
            part_ = nullptr;
        }
        busy_ = false;
        if (failure) std::rethrow_exception(failure);
        return true;
    }

private:
    void serve(std::stop_token stop) {
        std::uint64_t seen = 0;
        std::unique_lock lock(mutex_);
        while (true) {
            wake_.wait(lock,
                       [&] { return stop.stop_requested() || (job_ != seen && next_ < parts_); });
            if (stop.stop_requested()) return;
            seen = job_;
            const std::int64_t mine = next_++;
            const auto* part = part_;
            lock.unlock();
            (*part)(mine);
            lock.lock();
            if (--running_ == 0) finished_.notify_one();
        }
    }

    std::atomic<bool> busy_ = false; // a job is running
    std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable finished_;
    const std::function<void(std::int64_t)>* part_ = nullptr;
    std::int64_t next_ = 0;
    std::int64_t parts_ = 0;
    std::int64_t running_ = 0;
    std::uint64_t job_ = 0;
    std::vector<std::jthread> threads_;
};

} // namespace

bool runOnPool(std::int64_t parts, const std::function<void(std::int64_t)>& part) {
    static WorkerPool pool;
    return pool.run(parts, part);
}

} // namespace fringel
