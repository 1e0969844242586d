#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "base/call_result.h"

// HMAC-SHA1 (RFC 2104): the keyed hash the one-time codes of the parent's code are made from.
// Windows computes it with CNG, the native build with OpenSSL's libcrypto.

using Sha1Digest = std::array<uint8_t, 20>;

class HmacSha1 {
 public:
  virtual ~HmacSha1() = default;
  // The HMAC-SHA1 of the message under the key (both raw bytes), or the call that failed.
  virtual CallResult<Sha1Digest> Compute(std::string_view key, std::string_view message) const = 0;
};
