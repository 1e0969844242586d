#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// HMAC-SHA1 (RFC 2104): the keyed hash the one-time codes of the parent's code are made from.
// Windows computes it with CNG, the native build with OpenSSL's libcrypto.

using Sha1Digest = std::array<uint8_t, 20>;

// A digest, or the call that failed and its code.
struct HmacResult {
  std::optional<Sha1Digest> digest;
  std::string failure;
};

class HmacSha1 {
 public:
  virtual ~HmacSha1() = default;
  // The HMAC-SHA1 of the message under the key (both raw bytes).
  virtual HmacResult Compute(std::string_view key, std::string_view message) const = 0;
};
