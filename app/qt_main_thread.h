#pragma once

#include <QObject>

#include "link/main_thread.h"

namespace kq {

// The GUI thread as the serial channel's main thread: tasks are queued to an
// object that lives in the thread that created this one.
class QtMainThread : public MainThread {
 public:
  void post(std::function<void()> fn) override;

 private:
  QObject receiver_;
};

}  // namespace kq
