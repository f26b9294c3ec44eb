#include "app/background_work.h"

namespace kq {

BackgroundWork::BackgroundWork(QObject* parent) : QObject(parent) {}

BackgroundWork::~BackgroundWork() {
  {
    const std::lock_guard lock(mutex_);
    stopping_ = true;
    next_.reset();
  }
  wake_.notify_one();
  if (thread_.joinable()) thread_.join();
}

void BackgroundWork::start(Work work, Failure failure) {
  {
    const std::lock_guard lock(mutex_);
    next_ = Job{std::move(work), std::move(failure), ++given_};
  }
  // Started at the first work: most windows never need it.
  if (!thread_.joinable()) thread_ = std::thread([this] { serve(); });
  wake_.notify_one();
}

void BackgroundWork::cancel() {
  const std::lock_guard lock(mutex_);
  next_.reset();
  delivered_ = ++given_;
}

void BackgroundWork::serve() {
  for (;;) {
    Job job;
    {
      std::unique_lock lock(mutex_);
      wake_.wait(lock, [this] { return stopping_ || next_; });
      if (stopping_) return;
      job = std::move(*next_);
      next_.reset();
    }
    Delivery delivery;
    try {
      delivery = job.work();
    } catch (...) {
      delivery = [failure = std::move(job.failure), error = std::current_exception()] { failure(error); };
    }
    // Queued to this object: dropped with it, should it go first.
    QMetaObject::invokeMethod(
        this, [this, generation = job.generation, delivery] { deliver(generation, delivery); },
        Qt::QueuedConnection);
  }
}

void BackgroundWork::deliver(int generation, const Delivery& delivery) {
  if (generation != given_) return;  // newer work was given, or this was cancelled
  delivered_ = generation;
  if (delivery) delivery();
}

}  // namespace kq
