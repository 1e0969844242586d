#pragma once

#include <cstdint>

// Where the parent's code lives in the registry, and its fixed numbers.

// The key of the secret, under the product key. Its access list lets only LocalSystem and the
// Administrators read or change it: the product key is readable by every user.
inline constexpr char kParentCodeKey[] = "\\SOFTWARE\\Qorvex\\Hourwarden\\ParentCode\\";
// REG_SZ: the secret in Base32, as the authenticator app has it.
inline constexpr char kSecretValue[] = "Secret";
// The bytes of a secret (160 bits, the size RFC 4226 recommends for HMAC-SHA1).
inline constexpr int kSecretBytes = 20;

// Values of a restricted user's key.
// REG_DWORD, set by hwctl: the most minutes a day by code (0: no code for this user).
inline constexpr char kCodeMaxMinutesValue[] = "CodeMaxMinutes";
inline constexpr int kDefaultCodeMaxMinutes = 60;
// Kept by the service: the minutes given by code (REG_DWORD) on the date (REG_SZ "dd.mm.yyyy"),
// the wrong codes in a row (REG_DWORD), the UTC second until which codes are locked out (REG_SZ,
// decimal: it outgrows 32 bits in 2038) and the step of the last accepted code (REG_DWORD).
inline constexpr char kCodeMinutesValue[] = "CodeMinutes";
inline constexpr char kCodeDateValue[] = "CodeDate";
inline constexpr char kCodeWrongValue[] = "CodeWrong";
inline constexpr char kCodeLockedUntilValue[] = "CodeLockedUntil";
inline constexpr char kCodeLastStepValue[] = "CodeLastStep";

// Wrong codes in a row that lock the code out for the user, and for how long: with three codes
// valid at any time, guessing takes hundreds of thousands of tries, five every quarter hour.
inline constexpr int kWrongCodesBeforeLockOut = 5;
inline constexpr int64_t kLockOutSeconds = 15 * 60;
