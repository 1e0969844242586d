#include "platform/hmac_sha1_win.h"

#include <windows.h>
#include <bcrypt.h>

#include "platform/win_error.h"

namespace {

// Closes the algorithm provider and the hash object on every path.
struct CngHandles {
  BCRYPT_ALG_HANDLE algorithm = nullptr;
  BCRYPT_HASH_HANDLE hash = nullptr;
  ~CngHandles() {
    if (hash != nullptr) BCryptDestroyHash(hash);
    if (algorithm != nullptr) BCryptCloseAlgorithmProvider(algorithm, 0);
  }
};

HmacResult Failed(const char* call, NTSTATUS status) {
  return {std::nullopt, DescribeStatusFailure(call, static_cast<uint32_t>(status))};
}

PUCHAR Bytes(std::string_view text) { return reinterpret_cast<PUCHAR>(const_cast<char*>(text.data())); }

}  // namespace

HmacResult CngHmacSha1::Compute(std::string_view key, std::string_view message) const {
  CngHandles handles;
  // BCRYPT_ALG_HANDLE_HMAC_FLAG: the provider makes keyed hashes, the key given to BCryptCreateHash.
  NTSTATUS status =
      BCryptOpenAlgorithmProvider(&handles.algorithm, BCRYPT_SHA1_ALGORITHM, nullptr, BCRYPT_ALG_HANDLE_HMAC_FLAG);
  if (!BCRYPT_SUCCESS(status)) return Failed("BCryptOpenAlgorithmProvider", status);
  // No hash object buffer: CNG allocates it itself (Windows 7 and later).
  status = BCryptCreateHash(handles.algorithm, &handles.hash, nullptr, 0, Bytes(key), static_cast<ULONG>(key.size()), 0);
  if (!BCRYPT_SUCCESS(status)) return Failed("BCryptCreateHash", status);
  status = BCryptHashData(handles.hash, Bytes(message), static_cast<ULONG>(message.size()), 0);
  if (!BCRYPT_SUCCESS(status)) return Failed("BCryptHashData", status);
  Sha1Digest digest{};
  status = BCryptFinishHash(handles.hash, digest.data(), static_cast<ULONG>(digest.size()), 0);
  if (!BCRYPT_SUCCESS(status)) return Failed("BCryptFinishHash", status);
  return {digest, {}};
}
