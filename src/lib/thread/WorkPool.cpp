#include "WorkPool.h"

#include <sched.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <exception>

namespace {

constexpr int kMostThreads = 256;

// Set on a thread while it runs pieces of a loop: a loop started there runs
// alone instead of waiting for the pool that is busy with its caller.
thread_local bool insideLoop = false;

class InsideLoop {
public:
    InsideLoop() { insideLoop = true; }
    ~InsideLoop() { insideLoop = false; }
    InsideLoop(const InsideLoop&) = delete;
    InsideLoop& operator=(const InsideLoop&) = delete;
};

std::thread StartThread(std::function<void()> body) { return std::thread(std::move(body)); }

}  // namespace

struct WorkPool::Job {
    int64_t count = 0;
    int64_t grain = 1;
    const Piece* piece = nullptr;
    std::atomic<int64_t> next{0};
    std::atomic<int64_t> finished{0};
    std::atomic<bool> stop{false};
    std::mutex errorMutex;
    std::exception_ptr error;

    // One piece; false when none is left or the loop was stopped.
    bool RunOne() {
        if (stop.load(std::memory_order_relaxed)) return false;
        const int64_t begin = next.fetch_add(grain, std::memory_order_relaxed);
        if (begin >= count) return false;
        const int64_t end = std::min(begin + grain, count);
        try {
            (*piece)(begin, end);
        } catch (...) {
            std::lock_guard<std::mutex> lock(errorMutex);
            if (!error) error = std::current_exception();
            stop = true;
        }
        finished.fetch_add(end - begin, std::memory_order_acq_rel);
        return true;
    }
};

WorkPool::WorkPool(int threads) : WorkPool(threads, StartThread) {}

WorkPool::WorkPool(int threads, const Starter& starter) {
    const int wanted = std::clamp(threads, 1, kMostThreads) - 1;
    workers_.reserve(static_cast<std::size_t>(wanted));
    for (int i = 0; i < wanted; ++i) {
        try {
            workers_.push_back(starter([this] { WorkerLoop(); }));
        } catch (...) {
            break;  // the pool works with the threads it has
        }
    }
}

WorkPool::~WorkPool() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    for (std::thread& worker : workers_) worker.join();
}

WorkPool& WorkPool::Shared() {
    static WorkPool pool(MachineThreads());
    return pool;
}

int WorkPool::MachineThreads() {
    if (const char* text = std::getenv("MORVANEL_THREADS")) {
        char* end = nullptr;
        const long value = std::strtol(text, &end, 10);
        if (end != text && *end == '\0' && value >= 1) return static_cast<int>(std::min<long>(value, kMostThreads));
    }
    cpu_set_t set;
    CPU_ZERO(&set);
    if (sched_getaffinity(0, sizeof set, &set) == 0 && CPU_COUNT(&set) > 0) return CPU_COUNT(&set);
    return static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
}

void WorkPool::WorkerLoop() {
    uint64_t seen = 0;
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        wake_.wait(lock, [&] { return stopping_ || (job_ != nullptr && generation_ != seen); });
        if (stopping_) return;
        seen = generation_;
        Job* job = job_;
        ++active_;
        lock.unlock();
        {
            InsideLoop inside;
            while (job->RunOne()) {
            }
        }
        lock.lock();
        if (--active_ == 0) idle_.notify_all();
    }
}

bool WorkPool::RunAlone(int64_t count, int64_t grain, const Piece& piece, const Report& report) {
    for (int64_t begin = 0; begin < count; begin += grain) {
        const int64_t end = std::min(begin + grain, count);
        piece(begin, end);
        if (report && !report(end)) return false;
    }
    return true;
}

bool WorkPool::ForEach(int64_t count, int64_t grain, const Piece& piece, const Report& report) {
    if (count <= 0) return true;
    grain = std::max<int64_t>(grain, 1);
    if (workers_.empty() || count <= grain || insideLoop) {
        InsideLoop inside;
        return RunAlone(count, grain, piece, report);
    }
    std::unique_lock<std::mutex> busy(busy_, std::try_to_lock);
    if (!busy.owns_lock()) {
        InsideLoop inside;
        return RunAlone(count, grain, piece, report);
    }

    Job job;
    job.count = count;
    job.grain = grain;
    job.piece = &piece;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        job_ = &job;
        ++generation_;
    }
    wake_.notify_all();

    bool stopped = false;
    const auto reportNow = [&] {
        if (stopped || !report) return;
        if (!report(job.finished.load(std::memory_order_acquire))) {
            stopped = true;
            job.stop = true;
        }
    };
    {
        InsideLoop inside;
        while (job.RunOne()) reportNow();
    }
    {
        std::unique_lock<std::mutex> lock(mutex_);
        while (active_ > 0) {
            idle_.wait_for(lock, std::chrono::milliseconds(2));
            lock.unlock();
            reportNow();
            lock.lock();
        }
        job_ = nullptr;
    }
    if (job.error) std::rethrow_exception(job.error);
    reportNow();
    return !stopped && !job.stop;
}
