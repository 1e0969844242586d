#pragma once

#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "core/service_platform.h"

// The service's worker threads in tests: by default the work runs at once on the calling thread,
// so a time check has finished when it has started; Threaded() gives each work a thread of its
// own, as on Windows, joined when the fixture goes.
class TestWorkers {
 public:
  ~TestWorkers() { Join(); }
  // Waits for every thread started so far.
  void Join() {
    std::lock_guard lock(mutex_);
    for (std::thread& thread : threads_) thread.join();
    threads_.clear();
  }
  void Threaded() { threaded_ = true; }
  WorkerRunner Runner() {
    return [this](std::function<void()> work) {
      if (!threaded_) return work();
      std::lock_guard lock(mutex_);
      threads_.emplace_back(std::move(work));
    };
  }

 private:
  bool threaded_ = false;
  std::mutex mutex_;
  std::vector<std::thread> threads_;
};
