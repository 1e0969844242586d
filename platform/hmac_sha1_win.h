#pragma once

#include "platform/hmac_sha1.h"

// HMAC-SHA1 through CNG: the SHA-1 provider opened with BCRYPT_ALG_HANDLE_HMAC_FLAG.
class CngHmacSha1 : public HmacSha1 {
 public:
  CallResult<Sha1Digest> Compute(std::string_view key, std::string_view message) const override;
};
