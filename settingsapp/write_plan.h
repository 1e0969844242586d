#pragma once

#include <array>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "engine/account_control.h"
#include "settings/registry_access.h"
#include "settings/value_reads.h"
#include "settingsapp/allowance_form.h"
#include "settingsapp/pc_settings.h"
#include "settingsapp/week_grid.h"

// What an Apply of the settings window writes, and the check that nobody changed the values under
// it. Nothing is written until every value has passed the rules hwctl holds them to; the values
// of every account are compared with those the window read before the first is written; then each
// account's values are written whole, and ReadSettings is raised once at the end.

// The values of one account the window shows, as read when its page was filled.
struct AccountReading {
  bool restricted = false;  // the account has a key under Time_restrictions
  std::array<StoredText, kDaysInWeek> days;
  StoredText dayLimit;
  StoredNumber codeMinutes;     // the minutes a parent's code gives it, its own setting
  StoredNumber codeMaxMinutes;  // the most minutes a day by code
  bool earlierCodeRecord = false;  // an earlier version counted the minutes given in CodeMinutes
};

// Reads the account's values (its key found in any letter case).
AccountReading ReadAccount(RegistryAccess& registry, const std::string& account);
// The seven filters the service reads from the values: up to the first missing day (or one of
// the wrong type), then empty.
std::array<std::string, kDaysInWeek> EffectiveFilters(const AccountReading& reading);
// The names of the values that differ between two readings, for the parent ("Wednesday's periods",
// "the allowances", "whether it is restricted").
std::vector<std::string> ChangedValues(const AccountReading& before, const AccountReading& now);

// One account's page as the parent left it.
struct AccountEdit {
  std::string account;  // the local (logon) name
  AccountReading read;
  bool restricted = false;  // the check box
  WeekGrid week;
  AllowanceForm allowances;
  std::string codeMinutes;     // the minutes a code gives it, as typed; empty: as every account
  std::string codeMaxMinutes;  // the most minutes a day by code, as typed
};

// The page of the account as the window fills it from the registry.
AccountEdit ReadPage(RegistryAccess& registry, const std::string& account);

// The fields of an account's page a value may be refused at.
enum class AccountField { kAllowance, kCodeMinutes, kCodeMaxMinutes };

// A value that is refused: its field (with an allowance, its day) and the rule it breaks.
struct FieldRefusal {
  int day = 0;
  std::string rule;
  AccountField field = AccountField::kAllowance;
};

// What one Apply does to one account's key.
struct WritePlan {
  std::string account;
  std::string keyPath;
  bool deleteKey = false;  // the account is freed
  std::vector<std::pair<std::string, std::string>> strings;  // REG_SZ values, in writing order
  std::optional<int> codeMinutes;     // CodeMinutes to write
  std::optional<int> codeMaxMinutes;  // CodeMaxMinutes to write
  std::vector<FieldRefusal> refusals;  // not empty: nothing is written
  bool Empty() const { return !deleteKey && strings.empty() && !codeMinutes && !codeMaxMinutes; }
};

// The plan of the page: the seven day filters and DayLimit of a restricted account (nothing when
// they are what was read), or the deletion of a freed one's key.
WritePlan PlanApply(const AccountEdit& edit);

// One planned account with what its page was filled from.
struct PlannedAccount {
  WritePlan plan;
  AccountReading read;
};

struct ApplyResult {
  enum class Outcome {
    kWritten,         // every plan written (or none had anything to write), ReadSettings raised if one did
    kRefused,         // a value is refused: nothing written
    kChangedUnderIt,  // values changed since they were read: nothing written
    kFailed,          // a write failed: failure says which; the accounts before it are written
  };
  Outcome outcome = Outcome::kWritten;
  std::string message;  // for the parent: the refusal, the values changed, or the failure
  std::string refusedAccount;  // kRefused: the account and the day of the field refused
  int refusedDay = 0;
  AccountField refusedField = AccountField::kAllowance;
  std::optional<PcField> refusedPcField;  // kRefused on the computer's page: its field
  std::vector<std::string> written;  // the accounts whose keys were written or deleted
  std::vector<std::string> freed;    // of those, the accounts freed (keys deleted)
  bool pcWritten = false;            // the computer's values were written
};

// Raises ReadSettings, so the service reads the settings and counts again at its next minute.
// RegistryError when the product key cannot be opened for writing.
void RaiseReadSettings(RegistryAccess& registry);

// The computer's page planned, with what it was filled from.
struct PlannedPc {
  PcPlan plan;
  PcReading read;
};

// Writes the plans: first checks every one (refusals, then, unless overwrite, values changed under
// the window), then writes the computer's values and the accounts in order, then raises
// ReadSettings once.
ApplyResult ApplyPlans(RegistryAccess& registry, const std::vector<PlannedAccount>& accounts, bool overwrite,
                       const PlannedPc* pc = nullptr);

// Gives every freed account all its logon hours back: the service lets go of an account no longer
// limited without unblocking it, so one held back at that moment would stay unable to sign in.
// The note for the parent on any that failed, with the command that does it by hand; empty when
// all were given back.
std::string GiveLogonHoursBack(AccountControl& accounts, const std::vector<std::string>& freed);
