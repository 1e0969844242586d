#pragma once

#include "platform/hmac_sha1.h"

// HMAC-SHA1 through OpenSSL's libcrypto, for the native build.
class OpenSslHmacSha1 : public HmacSha1 {
 public:
  CallResult<Sha1Digest> Compute(std::string_view key, std::string_view message) const override;
};
