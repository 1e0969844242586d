#include "platform/random_source_win.h"

#include <windows.h>
#include <bcrypt.h>

#include "platform/win_error.h"

CallResult<void> CngRandomSource::Fill(std::string& bytes) const {
  // No algorithm handle: BCRYPT_USE_SYSTEM_PREFERRED_RNG takes the system's generator.
  const NTSTATUS status = BCryptGenRandom(nullptr, reinterpret_cast<PUCHAR>(bytes.data()),
                                          static_cast<ULONG>(bytes.size()), BCRYPT_USE_SYSTEM_PREFERRED_RNG);
  // An NTSTATUS, not a Windows error code: described as the CNG calls are.
  if (!BCRYPT_SUCCESS(status))
    return CallFailure{DescribeStatusFailure("BCryptGenRandom", static_cast<uint32_t>(status)),
                       static_cast<uint32_t>(status)};
  return {};
}
