#include "platform/hmac_sha1_win.h"

#include <windows.h>
#include <bcrypt.h>

#include "base/handle_holder.h"
#include "platform/win_error.h"

namespace {

// A CNG algorithm provider, closed with BCryptCloseAlgorithmProvider.
struct AlgorithmProviderKind {
  using Handle = BCRYPT_ALG_HANDLE;
  static constexpr Handle kNone = nullptr;
  static bool Holds(Handle provider) { return provider != nullptr; }
  static void Release(Handle provider) { BCryptCloseAlgorithmProvider(provider, 0); }
};
// A CNG hash object, destroyed with BCryptDestroyHash before its provider is closed.
struct HashObjectKind {
  using Handle = BCRYPT_HASH_HANDLE;
  static constexpr Handle kNone = nullptr;
  static bool Holds(Handle hash) { return hash != nullptr; }
  static void Release(Handle hash) { BCryptDestroyHash(hash); }
};

// CNG answers with an NTSTATUS, not a Windows error code: its failure keeps the status.
CallFailure Failed(const char* call, NTSTATUS status) {
  return {DescribeStatusFailure(call, static_cast<uint32_t>(status)), static_cast<uint32_t>(status)};
}

PUCHAR Bytes(std::string_view text) { return reinterpret_cast<PUCHAR>(const_cast<char*>(text.data())); }

}  // namespace

CallResult<Sha1Digest> CngHmacSha1::Compute(std::string_view key, std::string_view message) const {
  // Declared in this order, the hash object goes before its provider.
  HandleHolder<AlgorithmProviderKind> algorithm;
  HandleHolder<HashObjectKind> hash;
  // BCRYPT_ALG_HANDLE_HMAC_FLAG: the provider makes keyed hashes, the key given to BCryptCreateHash.
  NTSTATUS status =
      BCryptOpenAlgorithmProvider(algorithm.Receive(), BCRYPT_SHA1_ALGORITHM, nullptr, BCRYPT_ALG_HANDLE_HMAC_FLAG);
  if (!BCRYPT_SUCCESS(status)) return Failed("BCryptOpenAlgorithmProvider", status);
  // No hash object buffer: CNG allocates it itself (Windows 7 and later).
  status = BCryptCreateHash(algorithm.Get(), hash.Receive(), nullptr, 0, Bytes(key), static_cast<ULONG>(key.size()), 0);
  if (!BCRYPT_SUCCESS(status)) return Failed("BCryptCreateHash", status);
  status = BCryptHashData(hash.Get(), Bytes(message), static_cast<ULONG>(message.size()), 0);
  if (!BCRYPT_SUCCESS(status)) return Failed("BCryptHashData", status);
  Sha1Digest digest{};
  status = BCryptFinishHash(hash.Get(), digest.data(), static_cast<ULONG>(digest.size()), 0);
  if (!BCRYPT_SUCCESS(status)) return Failed("BCryptFinishHash", status);
  return digest;
}
