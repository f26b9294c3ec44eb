#pragma once

#include <QObject>
#include <condition_variable>
#include <exception>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>

namespace kq {

// One thread of its own for work that would keep a window from answering (a
// car's history read and decoded, an event search). Work runs in the order
// given, and only the latest counts: work still waiting when newer is given
// is dropped, and a result that arrives after newer work was given, or after
// cancel(), is never delivered. Results are delivered on the thread that owns
// this object, in its event loop; work may hand early results on before
// it is done, delivered in order before the result.
class BackgroundWork : public QObject {
  Q_OBJECT
 public:
  // What to do with the result, on the owner's thread.
  using Delivery = std::function<void()>;
  // Hands an early result on while the work goes on (the trips before their records).
  using Progress = std::function<void(Delivery)>;
  // Runs on the work's thread; returns the delivery of its result.
  using Work = std::function<Delivery(const Progress& progress)>;
  // What became of work that threw, on the owner's thread.
  using Failure = std::function<void(std::exception_ptr)>;

  explicit BackgroundWork(QObject* parent = nullptr);
  // Waits for work under way; nothing more is delivered.
  ~BackgroundWork() override;

  void start(Work work, Failure failure);
  void cancel();
  // Nothing waits, runs or is still to be delivered that counts.
  bool idle() const { return delivered_ == given_; }

 private:
  struct Job {
    Work work;
    Failure failure;
    int generation = 0;
  };
  void serve();
  void post(int generation, Delivery delivery, bool last);
  void deliver(int generation, const Delivery& delivery, bool last);

  // The owner's thread alone.
  int given_ = 0;
  int delivered_ = 0;

  std::mutex mutex_;
  std::condition_variable wake_;
  std::optional<Job> next_;  // guarded by mutex_
  bool stopping_ = false;    // guarded by mutex_
  std::thread thread_;
};

}  // namespace kq
