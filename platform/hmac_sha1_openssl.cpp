#include "platform/hmac_sha1_openssl.h"

#include <openssl/evp.h>
#include <openssl/hmac.h>

CallResult<Sha1Digest> OpenSslHmacSha1::Compute(std::string_view key, std::string_view message) const {
  Sha1Digest digest{};
  unsigned int length = 0;
  const unsigned char* result =
      HMAC(EVP_sha1(), key.data(), static_cast<int>(key.size()), reinterpret_cast<const unsigned char*>(message.data()),
           message.size(), digest.data(), &length);
  if (result == nullptr || length != digest.size()) return CallFailure{"HMAC (libcrypto) failed"};
  return digest;
}
