// The settings loader and the per-user state store over a registry tree built from the input
// (fuzzed_registry.h): the service's start (LoadSettings, ReadSpentTimes), then one minute (the
// logoff requests, the reload request, the count written back). No exception leaves a step; the
// tables hold one entry per restricted user of the right shape; each value is read as stored,
// and a value of the wrong type as an absent one; every ledger holds its user's count on its
// date; a written count and ledger read back unchanged; hwctl's reading of the same tree agrees
// with the service's.

#include <algorithm>
#include <optional>
#include <string>

#include "core/service_state.h"
#include "fakes/fake_folder_access.h"
#include "fakes/manual_clock.h"
#include "fuzz_support.h"
#include "fuzzed_registry.h"
#include "engine/usage_accounting.h"
#include "hwctl/configuration_check.h"
#include "hwctl/stored_settings.h"
#include "base/date_time.h"
#include "core/fixed_regional_format.h"
#include "settings/stored_formats.h"
#include "settings/user_state_store.h"
#include "settings/user_values.h"

namespace {

// Runs one step of the service; an exception leaving it is a finding.
template <class Step>
auto Guarded(const char* step, Step run) -> decltype(run()) {
  try {
    return run();
  } catch (const std::exception& error) {
    Require(false, step, error.what());
  } catch (...) {
    Require(false, step, "an exception that is no std::exception");
  }
  std::abort();
}

// The stored values as the loader is to read them: the text of a string value and the number of
// a four-byte REG_DWORD; nothing for an absent value or one of another type.
class Reference {
 public:
  explicit Reference(InMemoryRegistry& registry) : registry_(registry) {}

  std::optional<std::string> Text(const std::string& path, const std::string& name) const {
    const std::optional<RegistryValue> value = registry_.ValueForTesting(path, name);
    if (!value || (value->type != kRegSz && value->type != kRegExpandSz)) return std::nullopt;
    return value->data.substr(0, value->data.find('\0'));
  }
  std::optional<int32_t> Number(const std::string& path, const std::string& name) const {
    const std::optional<RegistryValue> value = registry_.ValueForTesting(path, name);
    if (!value || value->type != kRegDword || value->data.size() != 4) return std::nullopt;
    uint32_t bits = 0;
    for (size_t i = 0; i < 4; ++i) bits |= uint32_t{static_cast<unsigned char>(value->data[i])} << (8 * i);
    return static_cast<int32_t>(bits);
  }
  bool IsStrings(const std::string& path, const std::string& name) const {
    const std::optional<RegistryValue> value = registry_.ValueForTesting(path, name);
    return value && value->type == kRegMultiSz;
  }
  bool Present(const std::string& path, const std::string& name) const {
    return registry_.ValueForTesting(path, name).has_value();
  }
  // Whether an access object opens the key read-only (with the existence test first), read-write.
  bool OpensReadOnly(const std::string& path, bool existenceTestFirst) const {
    const std::unique_ptr<RegistryAccess> access = registry_.Open();
    return (!existenceTestFirst || access->KeyExists(path)) && access->OpenKeyReadOnly(path);
  }
  bool OpensReadWrite(const std::string& path) const { return registry_.Open()->OpenKey(path); }

 private:
  InMemoryRegistry& registry_;
};

std::string Detail(const ServiceState& service, int user) { return "user " + service.RestrictedUsers[user]; }

// The user's ledger holds the user's count on its date, when that is a date.
void CheckLedgerHoldsTheCount(const ServiceState& service, int i) {
  const StringList* entry = TableEntry(service.SpentTimes, i);
  const DayLedger& ledger = service.SpentDays[static_cast<size_t>(i)];
  const std::optional<int32_t> date = entry && entry->Count() == 2 ? LedgerDate((*entry)[1]) : std::nullopt;
  if (!date) return;
  const auto found = ledger.minutes.find(*date);
  Require(found != ledger.minutes.end() && std::to_string(found->second) == (*entry)[0],
          "the ledger holds the count on its date", Detail(service, i));
}

void CheckProduct(const ServiceState& service, const Reference& stored, int32_t levelBefore,
                  const std::string& pathBefore) {
  if (!stored.OpensReadOnly(kProductKey, true)) {
    Require(service.DebugLevel == levelBefore && service.AppPath == pathBefore,
            "an unreadable product key leaves DebugLevel and AppPath as they were");
    return;
  }
  Require(service.DebugLevel == stored.Number(kProductKey, "Debug").value_or(2),
          "DebugLevel is Debug as stored, 2 when absent or of the wrong type");
  Require(service.AppPath == stored.Text(kProductKey, "Path").value_or(""),
          "AppPath is Path as stored, empty when absent or of the wrong type");
}

// One user's day filters and allowances against the stored values.
void CheckUserSettings(const ServiceState& service, const Reference& stored, int i) {
  const std::string path = UserKeyPath(service.RestrictedUsers[i]);
  const StringList* filters = TableEntry(service.DayFilters, i);
  const StringList* limits = TableEntry(service.DayLimits, i);
  Require((filters != nullptr) == stored.OpensReadOnly(path, false) && (limits != nullptr) == (filters != nullptr),
          "a user has settings exactly when the user's key opens", Detail(service, i));
  if (filters == nullptr) return;
  Require(filters->Count() >= kDaysInWeek && limits->Count() >= kDaysInWeek,
          "every user has at least seven day filters and allowances", Detail(service, i));

  // Day0, Day1, ... as stored up to the first that is no string value; empty days after a gap.
  int day = 0;
  for (; day < filters->Count(); ++day) {
    const std::optional<std::string> text = stored.Text(path, "Day" + std::to_string(day));
    if (!text) break;
    Require((*filters)[day] == *text, "a day filter is read as stored", Detail(service, i));
  }
  if (!stored.Present(path, "Day" + std::to_string(day)))
    for (; day < filters->Count(); ++day)
      Require((*filters)[day].empty() && day < kDaysInWeek, "the days after a missing one have empty filters",
              Detail(service, i));

  StringList expected = SplitAtSpaces(stored.Text(path, "DayLimit").value_or(""));
  while (expected.Count() < kDaysInWeek) expected.Add(kWholeDayMinutes);
  Require(*limits == expected, "the allowances are DayLimit's pieces, the whole day for each one missing",
          Detail(service, i));
}

void CheckSettings(const ServiceState& service, const Reference& stored, InMemoryRegistry& registry) {
  const int users = service.RestrictedUsers.Count();
  Require(static_cast<int>(service.DayFilters.size()) == users && static_cast<int>(service.DayLimits.size()) == users,
          "DayFilters and DayLimits hold one entry per restricted user");
  const bool listed = stored.OpensReadOnly(kRestrictionsKey, true);
  Require(service.RestrictedUsers.Items() ==
              (listed ? registry.SubkeyNamesForTesting(kRestrictionsKey) : std::vector<std::string>{}),
          "the restricted users are the subkeys of the restrictions key");
  for (int i = 0; i < users; ++i) CheckUserSettings(service, stored, i);
}

void CheckSpentTimes(const ServiceState& service, const Reference& stored) {
  Require(static_cast<int>(service.SpentTimes.size()) == service.RestrictedUsers.Count() &&
              service.SpentDays.size() == service.SpentTimes.size(),
          "SpentTimes and SpentDays hold one entry per restricted user");
  for (int i = 0; i < service.RestrictedUsers.Count(); ++i) {
    const StringList* entry = TableEntry(service.SpentTimes, i);
    Require(entry != nullptr && entry->Count() == 2, "every SpentTimes entry holds two texts", Detail(service, i));
    const std::string path = UserKeyPath(service.RestrictedUsers[i]);
    StringList expected{"0", ""};
    if (stored.OpensReadOnly(path, false)) {
      const std::optional<std::string> date = stored.Text(path, "TimeStamp");
      expected[1] = date && date->empty() ? FormatStoredDate(service.CycleNow) : date.value_or("");
      // Without a SpentTime the ledger's count of the date, which the ledger's check below covers.
      const std::optional<int32_t> spent = stored.Number(path, "SpentTime");
      // A count below 0 as 0.
      expected[0] = spent ? std::to_string(std::max(*spent, 0)) : (*entry)[0];
    }
    Require(*entry == expected, "SpentTime and TimeStamp are read as stored, absent when of the wrong type",
            Detail(service, i));
    CheckLedgerHoldsTheCount(service, i);
  }
}

// hwctl reads the same tree as the service does, and its check names every value of the wrong
// type that the service reads.
void CheckHwctlAgrees(const ServiceState& service, const Reference& stored, InMemoryRegistry& registry) {
  const StoredConfiguration configuration = ReadStoredConfiguration(*registry.Open());
  FakeFolderAccess folders;
  FindProblems(configuration, folders);
  Require(static_cast<int>(configuration.users.size()) == service.RestrictedUsers.Count(),
          "hwctl finds the restricted users the service finds");
  for (int i = 0; i < service.RestrictedUsers.Count(); ++i) {
    const StoredUser& user = configuration.users[static_cast<size_t>(i)];
    Require(user.name == service.RestrictedUsers[i], "hwctl lists the users in the service's order");
    const StringList* filters = TableEntry(service.DayFilters, i);
    Require(user.readable == (filters != nullptr), "hwctl reads the keys the service reads", user.name);
    if (filters == nullptr) continue;
    if (const auto effective = EffectiveFilters(user))
      for (int day = 0; day < kDaysInWeek; ++day)
        Require((*effective)[day] == (*filters)[day], "hwctl's day filters are the service's", user.name);
    if (const auto effective = EffectiveLimits(user))
      for (int day = 0; day < kDaysInWeek; ++day)
        Require((*effective)[day] == (*TableEntry(service.DayLimits, i))[day], "hwctl's allowances are the service's",
                user.name);
    const CountingDay hwctlDay = CountingDayOf(user, service.CycleNow);
    const CountingDay serviceDay =
        DayToCount(service.SpentDays[static_cast<size_t>(i)], LedgerDateOf(service.CycleNow));
    Require(hwctlDay.date == serviceDay.date && hwctlDay.minutes == serviceDay.minutes,
            "hwctl's date and minutes counted on now are the service's", user.name);

    if (!FindUserProblems(user).empty()) continue;
    const std::string path = UserKeyPath(user.name);
    for (int day = 0; stored.Present(path, "Day" + std::to_string(day)); ++day)
      Require(stored.Text(path, "Day" + std::to_string(day)).has_value(), "check names a day filter of the wrong type",
              user.name);
    for (const char* name : {"DayLimit", "TimeStamp"})
      Require(!stored.Present(path, name) || stored.Text(path, name), "check names a text of the wrong type", user.name);
    for (const char* name : {"SpentTime", "Logoff"})
      Require(!stored.Present(path, name) || stored.Number(path, name), "check names a number of the wrong type",
              user.name);
    Require(ParseLedger(user.spentDays.strings).badLines.empty() &&
                (!stored.Present(path, kSpentDaysValue) || stored.IsStrings(path, kSpentDaysValue)),
            "check names a ledger of the wrong type and every bad line of it", user.name);
  }
}

void Load(ServiceState& service, const Reference& stored, InMemoryRegistry& registry) {
  const int32_t levelBefore = service.DebugLevel;
  const std::string pathBefore = service.AppPath;
  Guarded("no exception escapes LoadSettings", [&] { LoadSettings(service); });
  CheckProduct(service, stored, levelBefore, pathBefore);
  CheckSettings(service, stored, registry);
  Guarded("no exception escapes ReadSpentTimes", [&] { ReadSpentTimes(service); });
  CheckSpentTimes(service, stored);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  InMemoryRegistry registry;
  fuzzed_registry::Build(registry, InputText(data, size));
  const Reference stored(registry);

  ManualClock clock;
  FixedRegionalFormat format;
  ServicePlatform platform;
  platform.clock = &clock;
  platform.regionalFormat = &format;
  platform.openRegistry = registry.Opener();
  ServiceState service(platform);
  service.CycleNow = clock.Now();

  // The start.
  Load(service, stored, registry);
  CheckHwctlAgrees(service, stored, registry);

  // A minute: the logoff requests, the reload request, then the count.
  for (const std::string& name : service.RestrictedUsers) {
    const std::string path = UserKeyPath(name);
    const int32_t expected = stored.OpensReadWrite(path) ? stored.Number(path, "Logoff").value_or(0) : 0;
    const int32_t flag = Guarded("no exception escapes ReadLogoffFlag", [&] { return ReadLogoffFlag(service, name); });
    Require(flag == expected, "the logoff request is Logoff as stored, 0 when absent or of the wrong type", name);
  }
  const bool productWritable = stored.OpensReadWrite(kProductKey);
  const std::optional<int32_t> request = stored.Number(kProductKey, "ReadSettings");
  const int32_t reload = Guarded("no exception escapes CheckReloadRequest", [&] { return CheckReloadRequest(service); });
  if (productWritable && (request || !stored.Present(kProductKey, "ReadSettings"))) {
    Require(reload == request.value_or(0), "the reload request is ReadSettings as stored");
    if (reload != 0)
      Require(stored.Number(kProductKey, "ReadSettings") == 0, "a reload request is consumed");
  }
  if (reload != 0) {
    Load(service, stored, registry);
    return 0;
  }

  // Every user counted for the minute and the counts written: each reads back as written.
  service.LoggedOnUsers.Assign(service.RestrictedUsers);
  UpdateSpentTimes(service);
  Guarded("no exception escapes WriteSpentTimes", [&] { WriteSpentTimes(service); });
  const StringListTable written = service.SpentTimes;
  const std::vector<DayLedger> writtenDays = service.SpentDays;
  for (int i = 0; i < service.RestrictedUsers.Count(); ++i) {
    CheckLedgerHoldsTheCount(service, i);
    const DayLedger& ledger = writtenDays[static_cast<size_t>(i)];
    for (const auto& [date, minutes] : ledger.minutes)
      Require(ledger.minutes.rbegin()->first - date < kLedgerDays || LedgerDateText(date) == (*TableEntry(written, i))[1],
              "a counted ledger keeps the 62 days up to its latest date and the date counted on", Detail(service, i));
  }
  Guarded("no exception escapes ReadSpentTimes", [&] { ReadSpentTimes(service); });
  for (int i = 0; i < service.RestrictedUsers.Count(); ++i)
    if (stored.OpensReadWrite(UserKeyPath(service.RestrictedUsers[i])))
      Require(service.SpentTimes[static_cast<size_t>(i)] == written[static_cast<size_t>(i)] &&
                  service.SpentDays[static_cast<size_t>(i)] == writtenDays[static_cast<size_t>(i)],
              "a written count and ledger read back unchanged", Detail(service, i));
  return 0;
}
