#pragma once

#include <utility>

// Runs an action on every exit of a scope, the exceptional ones included, unless dismissed first.
template <class Action>
class [[nodiscard]] ScopeGuard {
 public:
  explicit ScopeGuard(Action action) : action_(std::move(action)) {}
  ~ScopeGuard() {
    if (armed_) action_();
  }
  ScopeGuard(const ScopeGuard&) = delete;
  ScopeGuard& operator=(const ScopeGuard&) = delete;
  // The action is not run then.
  void Dismiss() { armed_ = false; }

 private:
  Action action_;
  bool armed_ = true;
};
