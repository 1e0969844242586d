#pragma once

#include <windows.h>

// Owns memory the system handed out with LocalAlloc (security descriptors, SID texts) and frees
// it on every path.
class LocalMemory {
 public:
  LocalMemory() = default;
  ~LocalMemory() {
    if (memory_ != nullptr) LocalFree(memory_);
  }
  LocalMemory(const LocalMemory&) = delete;
  LocalMemory& operator=(const LocalMemory&) = delete;

  template <class T>
  T** Receive() {
    return reinterpret_cast<T**>(&memory_);
  }
  void* Get() const { return memory_; }

 private:
  void* memory_ = nullptr;
};
