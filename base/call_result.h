#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <variant>

// Why a platform call failed: a text that names the call and its error code (on Windows the one
// DescribeWindowsFailure writes), ready for the log, and the code itself for a caller that must
// tell one failure from another (0 when the call gave none).
struct CallFailure {
  std::string text;
  uint32_t code = 0;
};

// What a platform call gives: its value, or the failure that kept it from one.
template <typename T = void>
class [[nodiscard]] CallResult {
 public:
  CallResult(T value) : state_(std::move(value)) {}
  CallResult(CallFailure failure) : state_(std::move(failure)) {}

  // True when the call gave its value.
  bool Ok() const { return state_.index() == 0; }
  explicit operator bool() const { return Ok(); }
  // The value; only when Ok().
  const T& Value() const { return std::get<0>(state_); }
  // The failure's text; only when not Ok().
  const std::string& Failure() const { return std::get<1>(state_).text; }
  // The failure's code; only when not Ok().
  uint32_t FailureCode() const { return std::get<1>(state_).code; }

 private:
  std::variant<T, CallFailure> state_;
};

// What a platform call that gives no value returns: done, or the failure.
template <>
class [[nodiscard]] CallResult<void> {
 public:
  CallResult() = default;
  CallResult(CallFailure failure) : failure_(std::move(failure)), failed_(true) {}

  bool Ok() const { return !failed_; }
  explicit operator bool() const { return Ok(); }
  const std::string& Failure() const { return failure_.text; }
  uint32_t FailureCode() const { return failure_.code; }

 private:
  CallFailure failure_;
  bool failed_ = false;
};
