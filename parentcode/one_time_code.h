#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/hmac_sha1.h"

// The time-based one-time codes of authenticator apps (RFC 6238 over RFC 4226): HMAC-SHA1 of the
// number of 30-second steps since 1970 under the shared secret, cut to six decimal digits.

inline constexpr int64_t kCodeStepSeconds = 30;
inline constexpr int kCodeDigits = 6;

// The step of the UTC time: whole 30-second steps since 1970-01-01 00:00 UTC.
int64_t CodeStep(int64_t utcSeconds);

// A code, or why none could be computed.
struct CodeResult {
  std::optional<std::string> code;
  std::string failure;
};
// The code of the counter (RFC 4226: dynamic truncation, then the last digits), as a text of
// exactly that many digits, leading zeros kept.
CodeResult CounterCode(const HmacSha1& hmac, std::string_view secret, int64_t counter, int digits = kCodeDigits);

// Which step a typed code belongs to.
struct CodeMatch {
  std::optional<int64_t> step;  // the step the code is of; nothing when it is of none allowed
  std::string failure;          // not empty: the HMAC failed, and nothing was decided
};
// The step, among the one of the UTC time and one either side (clocks a little apart), whose code
// the text is; only steps after lastAcceptedStep count, so each is taken at most once.
CodeMatch MatchCode(const HmacSha1& hmac, std::string_view secret, std::string_view code, int64_t utcSeconds,
                    int64_t lastAcceptedStep);
