#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "core/installation.h"

// The requests a program of a user's session (or hwctl) sends the service, and the service's
// answers: a line of text each, one request per connection. A request names no account: the
// service takes the account from the connection itself.

// The service's pipe, reachable only from this computer; the service of kServiceName serves it.
inline constexpr char kMoreTimePipeName[] = "\\\\.\\pipe\\Hourwarden";
// Longer requests are refused unread.
inline constexpr size_t kMaxRequestBytes = 256;
// A client that sends nothing for this long after it connected is dropped, and so is one that
// does not take the answer for as long.
inline constexpr unsigned kRequestWaitMs = 5000;
// The most minutes an answer (or the request of an earlier version) names: a whole day.
inline constexpr int kMaxRequestMinutes = 1440;

// "more-time code=123456": more time by a parent's code of six digits. The minutes a code gives
// are the administrator's; a "minutes=N" after the code, which the session tool of an earlier
// version sends, is read and left unused. "more-time code=123456 tries" asks that a wrong code's
// answer tell the tries left, which a session tool of an earlier version would not understand.
struct MoreTimeRequest {
  std::string code;
  bool asksTriesLeft = false;

  bool operator==(const MoreTimeRequest&) const = default;
};

std::string FormatMoreTimeRequest(const MoreTimeRequest& request);
// The request of the text (one line, an optional line end after it); nothing for any other text,
// one with a field more (a user name, say) included.
std::optional<MoreTimeRequest> ParseMoreTimeRequest(std::string_view text);

// "status": what the service is, asked by hwctl check and the session tool; it changes nothing.
inline constexpr char kStatusRequest[] = "status\n";
// True for the status request (one line, an optional line end after it).
bool IsStatusRequest(std::string_view text);

// "grace": the day's minutes to save one's work before the session ends, once a day.
inline constexpr char kGraceRequest[] = "grace\n";
// True for the grace request (one line, an optional line end after it).
bool IsGraceRequest(std::string_view text);

// The answer to "status": "status version=1.0.0 time=confirmed code=on minutes=30 grace=5".
struct ServiceStatus {
  std::string version;         // the service's version: digits and dots
  bool timeConfirmed = false;  // "time=confirmed" or "time=unconfirmed"
  bool codeOffered = false;    // "code=on": the asking user may get time by a parent's code now
  int codeMinutes = 0;         // the minutes a code gives that user now (0 with "code=off")
  int graceMinutes = 0;        // the minutes the grace gives that user now; 0: used today, or none

  bool operator==(const ServiceStatus&) const = default;
};
std::string FormatStatusAnswer(const ServiceStatus& status);
// The status of the answer; nothing for any other text.
std::optional<ServiceStatus> ParseStatusAnswer(std::string_view text);

// What the service answers.
enum class AnswerKind {
  kAdded,             // "added N": the code was right, N minutes given back (maybe fewer than asked)
  kWrongCode,         // "wrong", or "wrong tries=N" to a request that asks for the tries left
  kLockedOut,         // "locked HH:MM": too many wrong codes; the local time the lock ends
  kDailyMaximum,      // "maximum N": the N minutes a day by code are given already
  kNotRestricted,     // "not-restricted": the account has no limits to lift
  kNoParentCode,      // "no-code": no parent's code is set up, or none for this user
  kTimeNotConfirmed,  // "unconfirmed": the service has not confirmed the time yet
  kRefused,           // "refused": the request was not understood
  kUnavailable,       // "unavailable": the service cannot decide now (it stops, or fails)
  kGrace,             // "grace N": the request is held back N minutes, to save one's work
  kGraceUsed,         // "grace-used": the day's grace is used, or there is none
};

struct MoreTimeAnswer {
  AnswerKind kind = AnswerKind::kUnavailable;
  int minutes = 0;    // kAdded: given back; kDailyMaximum: the day's maximum; kGrace: held back
  std::string until;  // kLockedOut: "HH:MM"
  int triesLeft = -1;  // kWrongCode: the wrong codes still taken before the lock-out; -1: not told

  bool operator==(const MoreTimeAnswer&) const = default;
};

std::string FormatMoreTimeAnswer(const MoreTimeAnswer& answer);
// The answer of the text; nothing for a text that is no answer.
std::optional<MoreTimeAnswer> ParseMoreTimeAnswer(std::string_view text);
