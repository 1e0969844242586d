#pragma once

#include <utility>

// Owns one handle of a kind and releases it on every path. The kind says what it holds, which
// value holds nothing and how one is released:
//   struct Kind {
//     using Handle = ...;
//     static constexpr Handle kNone = ...;
//     static bool Holds(Handle handle);  // false for every value that holds nothing
//     static void Release(Handle handle);
//   };
template <class Kind>
class HandleHolder {
 public:
  using Handle = typename Kind::Handle;

  HandleHolder() = default;
  explicit HandleHolder(Handle handle) : handle_(handle) {}
  ~HandleHolder() { Reset(); }
  HandleHolder(HandleHolder&& other) noexcept : handle_(std::exchange(other.handle_, Kind::kNone)) {}
  HandleHolder& operator=(HandleHolder&& other) noexcept {
    if (this != &other) {
      Reset();
      handle_ = std::exchange(other.handle_, Kind::kNone);
    }
    return *this;
  }
  HandleHolder(const HandleHolder&) = delete;
  HandleHolder& operator=(const HandleHolder&) = delete;

  Handle Get() const { return handle_; }
  // The held memory as a pointer to what it holds (for the kinds that hold memory).
  template <class T>
  T* Get() const {
    return reinterpret_cast<T*>(handle_);
  }
  // Releases what is held and hands out the slot for a call that returns a new handle.
  Handle* Receive() {
    Reset();
    return &handle_;
  }
  // The same for a call that hands out memory through a pointer to its own type.
  template <class T>
  T** Receive() {
    Reset();
    return reinterpret_cast<T**>(&handle_);
  }
  explicit operator bool() const { return Kind::Holds(handle_); }
  void Reset() {
    if (Kind::Holds(handle_)) Kind::Release(handle_);
    handle_ = Kind::kNone;
  }

 private:
  Handle handle_ = Kind::kNone;
};
