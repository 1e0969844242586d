#pragma once

#include <optional>
#include <string>
#include <string_view>

// The one request a program of a user's session sends the service for more time by a parent's
// code, and the service's answer: a line of text each, one request per connection. The request
// names no account: the service takes the account from the connection itself.

// The service's pipe, reachable only from this computer.
inline constexpr char kMoreTimePipeName[] = "\\\\.\\pipe\\Hourwarden";
// Longer requests are refused unread.
inline constexpr size_t kMaxRequestBytes = 256;
// The most minutes one request may ask for.
inline constexpr int kMaxRequestMinutes = 1440;

// "more-time code=123456 minutes=30": six digits and 1 to 1440 minutes.
struct MoreTimeRequest {
  std::string code;
  int minutes = 0;

  bool operator==(const MoreTimeRequest&) const = default;
};

std::string FormatMoreTimeRequest(const MoreTimeRequest& request);
// The request of the text (one line, an optional line end after it); nothing for any other text,
// one with a field more (a user name, say) included.
std::optional<MoreTimeRequest> ParseMoreTimeRequest(std::string_view text);

// What the service answers.
enum class AnswerKind {
  kAdded,             // "added N": the code was right, N minutes given back (maybe fewer than asked)
  kWrongCode,         // "wrong"
  kLockedOut,         // "locked HH:MM": too many wrong codes; the local time the lock ends
  kDailyMaximum,      // "maximum N": the N minutes a day by code are given already
  kNotRestricted,     // "not-restricted": the account has no limits to lift
  kNoParentCode,      // "no-code": no parent's code is set up, or none for this user
  kTimeNotConfirmed,  // "unconfirmed": the service has not confirmed the time yet
  kRefused,           // "refused": the request was not understood
  kUnavailable,       // "unavailable": the service cannot decide now (it stops, or fails)
};

struct MoreTimeAnswer {
  AnswerKind kind = AnswerKind::kUnavailable;
  int minutes = 0;    // kAdded: given back; kDailyMaximum: the day's maximum
  std::string until;  // kLockedOut: "HH:MM"

  bool operator==(const MoreTimeAnswer&) const = default;
};

std::string FormatMoreTimeAnswer(const MoreTimeAnswer& answer);
// The answer of the text; nothing for a text that is no answer.
std::optional<MoreTimeAnswer> ParseMoreTimeAnswer(std::string_view text);
