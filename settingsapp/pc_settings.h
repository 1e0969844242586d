#pragma once

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/folder_access.h"
#include "settings/registry_access.h"
#include "settings/value_reads.h"

// The page of the whole computer: the time zone the days are kept in, where the time comes from,
// whether locked time counts, whether and how the service ends sessions itself, the log folder and
// the debug level. Read from the product key, checked by the rules hwctl holds these values to,
// and written with the accounts' values at the same Apply.

// The product key's values of the page, as found.
struct PcReading {
  StoredText timeZone;
  StoredText timeUrl;
  StoredNumber countLockedSessions;
  StoredNumber serviceLogoff;
  StoredText endSession;
  StoredText path;
  StoredNumber debug;
  StoredNumber codeMinutes;  // the minutes a parent's code gives an account without its own setting
};

PcReading ReadPc(RegistryAccess& registry);

// Where the service takes the time from.
enum class TimeSource {
  kDefault,    // its built-in https:// time pages (the empty TimeUrl)
  kAddresses,  // the addresses the parent typed
  kNone,       // the computer's clock, trusted as it is
};

// The fields of the page. A field the parent has not changed keeps the stored value as it is,
// even one hwctl would refuse today.
struct PcForm {
  std::string timeZone;  // a zone's key name; empty: the computer's zone
  TimeSource timeSource = TimeSource::kDefault;
  std::string addresses;  // with kAddresses: separated by blanks
  bool countLocked = true;
  bool serviceLogoff = true;
  bool endSessionLock = false;  // false: the user is signed out
  std::string path;             // the log folder
  std::string debug;            // the debug level, as typed
  std::string codeMinutes;      // the minutes a parent's code gives, as typed
};

// The fields as the service reads the values (a missing or mistyped value as its default).
PcForm FormOfPc(const PcReading& reading);

// The fields of the page, for the window to show a refusal at.
enum class PcField { kTimeZone, kTimeSource, kPath, kDebug, kCodeMinutes };

// What an Apply writes to the product key: only the values whose fields changed.
struct PcPlan {
  std::vector<std::pair<std::string, std::string>> strings;  // REG_SZ
  std::vector<std::pair<std::string, int>> numbers;          // REG_DWORD
  std::optional<std::pair<PcField, std::string>> refusal;    // set: nothing is written
  bool Empty() const { return strings.empty() && numbers.empty(); }
};

// Tells whether a zone's key name is a zone of this computer.
using ZoneCheck = std::function<bool(const std::string& zoneKey)>;

// The plan of the page: each changed field checked as hwctl checks it (the log folder given its
// trailing backslash, and found to exist and be kept from standard users), the first refused one
// named with the rule it breaks.
PcPlan PlanPc(const PcReading& read, const PcForm& form, const ZoneCheck& isZone, const FolderAccessSource& folders);

// The names of the page's values that differ between two readings, for the parent.
std::vector<std::string> ChangedPcValues(const PcReading& before, const PcReading& now);

// Writes the plan into the product key; RegistryError when the key cannot be opened for writing.
void WritePc(RegistryAccess& registry, const PcPlan& plan);

// The line at the foot of the page that tells of the service from its answer to "status":
// running or not, the time confirmed or not, its version.
std::string ServiceStateText(const std::optional<std::string>& answer, const std::string& failure, bool notTheService);
