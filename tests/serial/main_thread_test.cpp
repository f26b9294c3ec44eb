#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "serial/task_loop.h"
#include "tests/serial/loop_fixture.h"

namespace kq {
namespace {

using namespace std::chrono_literals;

TEST(MainThreadTest, RunAndWaitRunsOnTheLoopThreadAndWaits) {
  TaskLoop loop;
  std::thread::id ranOn;
  bool returned = false;
  std::jthread worker([&](std::stop_token stop) {
    returned = loop.runAndWait([&] { ranOn = std::this_thread::get_id(); }, stop);
    loop.quit();
  });
  test::Watchdog watchdog(30s, "runAndWait");
  loop.runUntil(TaskLoop::Clock::time_point::max());
  worker.join();
  EXPECT_TRUE(returned);
  EXPECT_EQ(ranOn, std::this_thread::get_id());
}

TEST(MainThreadTest, AbandonedHandOverNeverRuns) {
  test::CountingLoop loop;
  std::atomic<bool> ran{false};
  std::atomic<bool> returned{true};
  std::jthread worker([&](std::stop_token stop) { returned = loop.runAndWait([&] { ran = true; }, stop); });
  test::Watchdog watchdog(30s, "abandon");
  while (loop.posted == 0) std::this_thread::yield();
  worker.request_stop();
  worker.join();
  loop.runPending();
  EXPECT_FALSE(returned);
  EXPECT_FALSE(ran);
}

// A stop that races the start of the wait, many times over: a close must never
// hang on a waiting event thread (it did with mingw-w64's stop callbacks).
TEST(MainThreadTest, StopRequestAlwaysEndsTheWait) {
  test::Watchdog watchdog(60s, "stop racing the wait");
  for (int i = 0; i < 300; ++i) {
    test::CountingLoop loop;
    std::jthread worker([&](std::stop_token stop) { loop.runAndWait([] {}, stop); });
    if (i % 2 == 0)
      while (loop.posted == 0) std::this_thread::yield();
    worker.request_stop();
    worker.join();
  }
}

// A main loop that has ended drops what is posted to it.
class EndedLoop : public MainThread {
 public:
  void post(std::function<void()>) override {}
};

TEST(MainThreadTest, DroppedTaskReleasesTheWaiter) {
  EndedLoop loop;
  test::Watchdog watchdog(30s, "dropped task");
  EXPECT_FALSE(loop.runAndWait([] {}, std::stop_token()));
}

TEST(TaskLoopTest, TimersRunInOrderAndCanBeCancelled) {
  TaskLoop loop;
  std::vector<int> order;
  loop.startTimer(20ms, [&] { order.push_back(2); });
  const auto cancelled = loop.startTimer(10ms, [&] { order.push_back(99); });
  loop.startTimer(0ms, [&] { order.push_back(1); });
  loop.startTimer(30ms, [&] {
    order.push_back(3);
    loop.quit();
  });
  loop.cancelTimer(cancelled);
  test::Watchdog watchdog(30s, "timers");
  EXPECT_TRUE(loop.runUntil(TaskLoop::Clock::now() + 20s));
  EXPECT_EQ(order, (std::vector<int>{1, 2, 3}));
}

TEST(TaskLoopTest, RunUntilReturnsFalseAtTheDeadline) {
  TaskLoop loop;
  EXPECT_FALSE(loop.runUntil(TaskLoop::Clock::now() + 1ms));
  loop.quit();
  EXPECT_TRUE(loop.runUntil(TaskLoop::Clock::now() + 20s));
}

}  // namespace
}  // namespace kq
