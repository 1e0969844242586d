#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "base/call_result.h"

// The account and token operations of the restriction engine: the logon hours of a local account
// and the shutdown privilege of the service's own token. Each reports plain data; the decisions
// are the engine's.

// Hours in a week: the units of a logon-hours bitmap, one bit each.
inline constexpr int kLogonUnitsPerWeek = 168;
// Bytes of a logon-hours bitmap covering the whole week.
inline constexpr int kLogonHoursBytes = kLogonUnitsPerWeek / 8;
// The longest account name the account call is given, in characters.
inline constexpr size_t kMaxAccountNameLength = 100;

// One bit per hour of the week, in the layout the system defines for logon hours.
using LogonHours = std::array<uint8_t, kLogonHoursBytes>;

// The step at which enabling the shutdown privilege stopped.
enum class PrivilegeStep {
  kOpenToken,  // the process's token could not be opened
  kAdjust,     // the adjustment failed or the token does not hold the privilege
};

// What enabling the shutdown privilege gave: done, or the failed call and the step it belongs to.
struct ShutdownPrivilegeResult {
  CallResult<> call;
  PrivilegeStep failedStep = PrivilegeStep::kAdjust;
};

class AccountControl {
 public:
  virtual ~AccountControl() = default;
  // Sets the permitted logon hours of the local account with this name (at most
  // kMaxAccountNameLength characters) to the first unitsPerWeek bits of the bitmap; done, or the
  // failed call and its error code.
  virtual CallResult<> SetLogonHours(const std::string& userName, int unitsPerWeek, const LogonHours& hours) = 0;
  // The security identifier ("S-1-5-21-...") of the local account with this name; empty when
  // Windows knows no such account.
  virtual std::string AccountSid(const std::string& userName) = 0;
  // Enables the shutdown privilege in the process's own token, leaving its other privileges as
  // they are. Asks for no shutdown.
  virtual ShutdownPrivilegeResult EnableShutdownPrivilege() = 0;
};
