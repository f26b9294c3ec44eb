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
      delivery = job.work(
          [this, generation = job.generation](Delivery early) { post(generation, std::move(early), false); });
    } catch (...) {
      delivery = [failure = std::move(job.failure), error = std::current_exception()] { failure(error); };
    }
    post(job.generation, std::move(delivery), true);
  }
}

void BackgroundWork::post(int generation, Delivery delivery, bool last) {
  // Queued to this object: dropped with it, should it go first.
  QMetaObject::invokeMethod(
      this, [this, generation, delivery = std::move(delivery), last] { deliver(generation, delivery, last); },
      Qt::QueuedConnection);
}

void BackgroundWork::deliver(int generation, const Delivery& delivery, bool last) {
  if (generation != given_) return;  // newer work was given, or this was cancelled
  if (last) delivered_ = generation;
  if (delivery) delivery();
}

}  // namespace kq
