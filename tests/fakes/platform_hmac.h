#pragma once

// The build's own HMAC-SHA1: CNG in the Windows build, libcrypto natively, so that the tests of
// the codes check the implementation the product uses.
#ifdef _WIN32
#include "platform/hmac_sha1_win.h"
using PlatformHmacSha1 = CngHmacSha1;
#else
#include "platform/hmac_sha1_openssl.h"
using PlatformHmacSha1 = OpenSslHmacSha1;
#endif

// The secret of the test vectors of RFC 4226 and RFC 6238 (SHA-1): the ASCII digits 1 to 0, twice.
inline constexpr char kRfcSecret[] = "12345678901234567890";
