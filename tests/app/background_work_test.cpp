// Work away from the window's thread: only the latest counts.
#include "app/background_work.h"

#include <gtest/gtest.h>

#include <QEventLoop>
#include <QTimer>
#include <future>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace kq {
namespace {

// Runs the event loop until the work is delivered, at most ten seconds.
void deliver(const BackgroundWork& work) {
  QEventLoop loop;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    if (work.idle()) loop.quit();
  });
  poll.start(5);
  QTimer::singleShot(10000, &loop, &QEventLoop::quit);
  loop.exec();
}

TEST(BackgroundWork, OnlyTheLatestWorkIsDeliveredItsEarlyResultFirstOnTheOwnersThread) {
  BackgroundWork work;
  std::vector<std::string> delivered;
  std::promise<void> release;
  std::shared_future<void> released = release.get_future().share();
  const auto noFailure = [&](std::exception_ptr) { delivered.push_back("failure"); };
  const auto on = [&](std::string what) { return [&delivered, what] { delivered.push_back(what); }; };

  // The first runs until the others were given: its result comes too late.
  work.start(
      [&](const BackgroundWork::Progress&) -> BackgroundWork::Delivery {
        released.wait();
        return on("first");
      },
      noFailure);
  // Replaced while waiting: never runs.
  work.start([&](const BackgroundWork::Progress&) { return on("second"); }, noFailure);
  const std::thread::id owner = std::this_thread::get_id();
  work.start(
      [&](const BackgroundWork::Progress& progress) {
        progress(on("early"));
        return BackgroundWork::Delivery([&, on] {
          EXPECT_EQ(std::this_thread::get_id(), owner);
          on("third")();
        });
      },
      noFailure);
  EXPECT_FALSE(work.idle());
  release.set_value();
  deliver(work);
  EXPECT_TRUE(work.idle());
  EXPECT_EQ(delivered, (std::vector<std::string>{"early", "third"}));
}

TEST(BackgroundWork, AFailureIsDeliveredAndACancelledResultIsNot) {
  BackgroundWork work;
  std::string said;
  work.start(
      [](const BackgroundWork::Progress&) -> BackgroundWork::Delivery { throw std::runtime_error("bad"); },
      [&](std::exception_ptr failure) {
        try {
          std::rethrow_exception(failure);
        } catch (const std::runtime_error& error) {
          said = error.what();
        }
      });
  deliver(work);
  EXPECT_EQ(said, "bad");

  // Cancelled before it ends, the work's result is dropped; the work given
  // after it is delivered after it would have been.
  std::promise<void> release;
  std::shared_future<void> released = release.get_future().share();
  work.start(
      [&](const BackgroundWork::Progress&) {
        released.wait();
        return BackgroundWork::Delivery([&] { said = "late"; });
      },
      [](std::exception_ptr) {});
  work.cancel();
  EXPECT_TRUE(work.idle());
  release.set_value();
  bool next = false;
  work.start([&](const BackgroundWork::Progress&) { return BackgroundWork::Delivery([&] { next = true; }); },
             [](std::exception_ptr) {});
  deliver(work);
  EXPECT_TRUE(next);
  EXPECT_EQ(said, "bad");
}

}  // namespace
}  // namespace kq
