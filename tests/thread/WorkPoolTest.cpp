#include "WorkPool.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <system_error>
#include <utility>
#include <vector>

#include "TempDir.h"

namespace {

// Every item is handed out exactly once, whatever the pool and the pieces.
TEST(WorkPool, EveryItemRunsOnce) {
    struct Case {
        int threads;
        int64_t count;
        int64_t grain;
    };
    for (const Case c : {Case{1, 100, 7}, Case{2, 1000, 1}, Case{7, 999, 10}, Case{7, 5, 100}, Case{3, 0, 4},
                         Case{4, 64, 0}}) {
        WorkPool pool(c.threads);
        EXPECT_EQ(pool.Threads(), c.threads);
        std::vector<std::atomic<int>> runs(static_cast<size_t>(c.count));
        int64_t lastReport = 0;
        bool reportsGrow = true;
        EXPECT_TRUE(pool.ForEach(
            c.count, c.grain,
            [&](int64_t begin, int64_t end) {
                for (int64_t i = begin; i < end; ++i) ++runs[static_cast<size_t>(i)];
            },
            [&](int64_t finished) {
                reportsGrow = reportsGrow && finished >= lastReport && finished <= c.count;
                lastReport = finished;
                return true;
            }));
        for (const auto& r : runs) EXPECT_EQ(r.load(), 1) << c.threads << " " << c.count;
        EXPECT_TRUE(reportsGrow);
        EXPECT_EQ(lastReport, c.count) << "the last report counts every item";
    }
}

// A report that answers false stops the loop, on the pool's threads and on
// the calling thread alone; the pool serves the next loop as before.
TEST(WorkPool, ReportThatAnswersFalseStopsTheLoop) {
    for (const int threads : {1, 4}) {
        WorkPool pool(threads);
        std::atomic<int64_t> done{0};
        const bool finished = pool.ForEach(
            100000, 1,
            [&](int64_t begin, int64_t end) {
                if (threads > 1) std::this_thread::sleep_for(std::chrono::microseconds(20));
                done += end - begin;
            },
            [](int64_t finishedItems) { return finishedItems < 50; });
        EXPECT_FALSE(finished) << threads;
        EXPECT_LT(done.load(), 100000) << threads;
        done = 0;
        EXPECT_TRUE(pool.ForEach(1000, 3, [&](int64_t begin, int64_t end) { done += end - begin; }));
        EXPECT_EQ(done.load(), 1000);
    }
}

TEST(WorkPool, ThreadsThatCannotStartLeaveASmallerPool) {
    int started = 0;
    WorkPool pool(6, [&](std::function<void()> body) {
        if (++started > 2) throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
        return std::thread(std::move(body));
    });
    EXPECT_EQ(pool.Threads(), 3);
    std::atomic<int64_t> sum{0};
    EXPECT_TRUE(pool.ForEach(500, 2, [&](int64_t begin, int64_t end) {
        for (int64_t i = begin; i < end; ++i) sum += i;
    }));
    EXPECT_EQ(sum.load(), 499 * 500 / 2);

    WorkPool none(4, [](std::function<void()>) -> std::thread { throw std::bad_alloc(); });
    EXPECT_EQ(none.Threads(), 1);
    EXPECT_TRUE(none.ForEach(10, 1, [](int64_t, int64_t) {}));
}

// A loop started inside a piece runs on that piece's thread; an exception of
// a piece reaches the caller and leaves the pool usable.
TEST(WorkPool, NestedLoopsAndExceptions) {
    WorkPool pool(3);
    std::atomic<int64_t> inner{0};
    EXPECT_TRUE(pool.ForEach(20, 1, [&](int64_t, int64_t) {
        EXPECT_TRUE(pool.ForEach(30, 4, [&](int64_t begin, int64_t end) { inner += end - begin; }));
    }));
    EXPECT_EQ(inner.load(), 20 * 30);
    const auto throwAt500 = [](int64_t begin, int64_t) {
        if (begin == 500) throw std::runtime_error("piece");
    };
    EXPECT_THROW(pool.ForEach(1000, 1, throwAt500), std::runtime_error);
    EXPECT_TRUE(pool.ForEach(10, 1, [](int64_t, int64_t) {}));
}

TEST(WorkPool, ThreadCountFromTheEnvironment) {
    morvanel_test::ScopedEnv env;
    env.Unset("MORVANEL_THREADS");
    const int machine = WorkPool::MachineThreads();
    EXPECT_GE(machine, 1);
    // Values that are not a count of at least 1 leave the machine's count.
    for (const auto& [value, expected] : std::initializer_list<std::pair<const char*, int>>{
             {"1", 1}, {"7", 7}, {"0", machine}, {"-3", machine}, {"2x", machine}, {"", machine}}) {
        ::setenv("MORVANEL_THREADS", value, 1);
        EXPECT_EQ(WorkPool::MachineThreads(), expected) << value;
    }
}

}  // namespace
