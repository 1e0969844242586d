#pragma once

#include <cstdint>

// Where the parent's code lives in the registry, and its fixed numbers.

// The key of the secret, under the product key. Its access list lets only LocalSystem and the
// Administrators read or change it: the product key is readable by every user.
inline constexpr char kParentCodeKey[] = "\\SOFTWARE\\Qorvex\\Hourwarden\\ParentCode\\";
// REG_SZ: the secret in Base32, as the authenticator app has it.
inline constexpr char kSecretValue[] = "Secret";
// REG_DWORD, kept by the service beside the secret: the 30-second step of the last code accepted
// on this computer, from whichever account. A code is taken once on the PC, so a code read out to
// one child cannot be typed again by another within the steps it is valid in.
inline constexpr char kLastStepValue[] = "LastStep";
// The bytes of a secret (160 bits, the size RFC 4226 recommends for HMAC-SHA1).
inline constexpr int kSecretBytes = 20;

// REG_DWORD, set by hwctl in a restricted user's key, or in the product key for every user (the
// user's wins): the minutes one code gives.
inline constexpr char kCodeMinutesValue[] = "CodeMinutes";
inline constexpr int kDefaultCodeMinutes = 30;
// Values of a restricted user's key.
// REG_DWORD, set by hwctl: the most minutes a day by code (0: no code for this user).
inline constexpr char kCodeMaxMinutesValue[] = "CodeMaxMinutes";
inline constexpr int kDefaultCodeMaxMinutes = 60;
// Both settings lie within 0..1440; a value outside is taken as the nearest end, and a code gives
// at least one minute.
inline constexpr int kMaxCodeMinutes = 1440;
// Kept by the service: the minutes given by code (REG_DWORD) on the date (REG_SZ "dd.mm.yyyy"),
// the wrong codes in a row (REG_DWORD) and the UTC second until which codes are locked out (REG_SZ,
// decimal: it outgrows 32 bits in 2038).
inline constexpr char kCodeGivenValue[] = "CodeGiven";
inline constexpr char kCodeDateValue[] = "CodeDate";
inline constexpr char kCodeWrongValue[] = "CodeWrong";
inline constexpr char kCodeLockedUntilValue[] = "CodeLockedUntil";
// The user's own last step, kept by the version before the step became the computer's. A user's
// key that still holds it holds that version's record, whose "CodeMinutes" counted the minutes
// given on CodeDate; the service moves them to CodeGiven at its next write of the record.
inline constexpr char kEarlierLastStepValue[] = "CodeLastStep";

// Wrong codes in a row that lock the code out for the user, and for how long: with three codes
// valid at any time, guessing takes hundreds of thousands of tries, five every quarter hour.
inline constexpr int kWrongCodesBeforeLockOut = 5;
inline constexpr int64_t kLockOutSeconds = 15 * 60;
