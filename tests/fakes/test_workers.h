#pragma once

#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "core/service_platform.h"

// The service's worker threads in tests: by default a work runs at once on the calling thread (a
// time check has finished when it has started); after Threaded(), on a thread of its own, as on
// Windows, joined by Join() or when the fixture goes.
class TestWorkers {
 public:
  ~TestWorkers() { Join(); }
  void Threaded() { threaded_ = true; }
  void Join() {
    std::lock_guard lock(mutex_);
    for (std::thread& thread : threads_) thread.join();
    threads_.clear();
  }
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
