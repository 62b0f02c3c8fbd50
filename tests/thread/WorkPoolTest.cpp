#include "WorkPool.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <stdexcept>
#include <system_error>
#include <vector>

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

TEST(WorkPool, ReportThatAnswersFalseStopsTheLoop) {
    WorkPool pool(4);
    std::atomic<int64_t> done{0};
    const bool finished = pool.ForEach(
        100000, 1,
        [&](int64_t begin, int64_t end) {
            std::this_thread::sleep_for(std::chrono::microseconds(20));
            done += end - begin;
        },
        [](int64_t finishedItems) { return finishedItems < 50; });
    EXPECT_FALSE(finished);
    EXPECT_LT(done.load(), 100000);
    // The pool serves the next loop as before.
    done = 0;
    EXPECT_TRUE(pool.ForEach(1000, 3, [&](int64_t begin, int64_t end) { done += end - begin; }));
    EXPECT_EQ(done.load(), 1000);
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

TEST(WorkPool, LoopInsideAPieceRunsOnItsThread) {
    WorkPool pool(3);
    std::atomic<int64_t> inner{0};
    EXPECT_TRUE(pool.ForEach(20, 1, [&](int64_t, int64_t) {
        EXPECT_TRUE(pool.ForEach(30, 4, [&](int64_t begin, int64_t end) { inner += end - begin; }));
    }));
    EXPECT_EQ(inner.load(), 20 * 30);
}

TEST(WorkPool, ExceptionOfAPieceReachesTheCaller) {
    WorkPool pool(4);
    EXPECT_THROW(pool.ForEach(1000, 1,
                              [](int64_t begin, int64_t) {
                                  if (begin == 500) throw std::runtime_error("piece");
                              }),
                 std::runtime_error);
    EXPECT_TRUE(pool.ForEach(10, 1, [](int64_t, int64_t) {}));
}

TEST(WorkPool, ThreadCountFromTheEnvironment) {
    const char* saved = std::getenv("MORVANEL_THREADS");
    const std::string keep = saved != nullptr ? saved : "";
    struct Case {
        const char* value;
        int expected;  // 0: the machine's count
    };
    ::unsetenv("MORVANEL_THREADS");
    const int machine = WorkPool::MachineThreads();
    EXPECT_GE(machine, 1);
    for (const Case c : {Case{"1", 1}, Case{"7", 7}, Case{"0", 0}, Case{"-3", 0}, Case{"2x", 0}, Case{"", 0}}) {
        ::setenv("MORVANEL_THREADS", c.value, 1);
        EXPECT_EQ(WorkPool::MachineThreads(), c.expected != 0 ? c.expected : machine) << c.value;
    }
    if (saved != nullptr) ::setenv("MORVANEL_THREADS", keep.c_str(), 1);
    else ::unsetenv("MORVANEL_THREADS");
}

}  // namespace
