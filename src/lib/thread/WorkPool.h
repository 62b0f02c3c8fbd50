#pragma once
// WorkPool: a small set of worker threads that share loops over independent
// rows or columns with the calling thread.
//
//     WorkPool& pool = WorkPool::Shared();
//     pool.ForEach(rows, 8, [&](int64_t begin, int64_t end) { ... rows begin..end-1 ... },
//                  [&](int64_t finished) { return ReportRows(finished); });
//
// Pieces of the range run on any thread, in any order, so a piece may only
// write what no other piece reads or writes.  The calling thread alone calls
// the report function, with the number of items finished so far (never
// decreasing); when it answers false no further piece is started, the pieces
// already running are finished, and ForEach returns false.
//
// The shared pool has one thread per processor the process may run on, or
// MORVANEL_THREADS threads (1: everything runs on the calling thread).  A
// thread that cannot be started leaves the pool with fewer threads.  A loop
// started from inside a piece, or while another thread's loop is running,
// runs on its calling thread alone.
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

class WorkPool {
public:
    using Piece = std::function<void(int64_t begin, int64_t end)>;
    using Report = std::function<bool(int64_t finished)>;
    // Starts one worker; throws (like std::thread) when it cannot.
    using Starter = std::function<std::thread(std::function<void()>)>;

    // A pool of `threads` threads counting the caller (at least 1).
    explicit WorkPool(int threads);
    WorkPool(int threads, const Starter& starter);
    ~WorkPool();
    WorkPool(const WorkPool&) = delete;
    WorkPool& operator=(const WorkPool&) = delete;

    // The process's pool, created on first use.
    static WorkPool& Shared();
    // MORVANEL_THREADS when it holds a number from 1 on, else the processors
    // this process may run on.
    static int MachineThreads();

    // Threads that share a loop, the calling thread included.
    int Threads() const { return static_cast<int>(workers_.size()) + 1; }

    // Runs piece(begin, end) over [0, count) in pieces of about `grain`
    // items.  False when report stopped the loop.
    bool ForEach(int64_t count, int64_t grain, const Piece& piece, const Report& report = nullptr);

private:
    struct Job;
    void WorkerLoop();
    static void RunPieces(Job& job);
    bool RunAlone(int64_t count, int64_t grain, const Piece& piece, const Report& report);

    std::vector<std::thread> workers_;
    std::mutex busy_;             // held by the thread whose loop runs on the pool
    std::mutex mutex_;            // guards job_, generation_, active_, stopping_
    std::condition_variable wake_;
    std::condition_variable idle_;
    Job* job_ = nullptr;
    uint64_t generation_ = 0;
    int active_ = 0;              // workers inside the current job
    bool stopping_ = false;
};
