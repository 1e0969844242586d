// hwctl's commands as an administrator types them, read back by the service: the input is one
// command line per line, its arguments separated by tabs ("spend<tab>USER<tab>MINUTES" lets the
// service count minutes for today instead). After each command the service takes its minute's
// reload; every change hwctl reports done is then read by the service exactly as hwctl says, a
// refused command has written nothing, and every other change asks for the reload.

#include <map>
#include <set>
#include <string>
#include <vector>

#include "configuration/account_resolution.h"
#include "configuration/validation.h"
#include "core/service_state.h"
#include "engine/usage_accounting.h"
#include "fakes/hwctl_fixture.h"
#include "fuzz_support.h"
#include "period_reference.h"
#include "core/fixed_regional_format.h"
#include "settings/settings_loader.h"
#include "settings/stored_formats.h"
#include "settings/user_state_store.h"
#include "timesync/time_sync.h"

namespace {

// What the service holds after its minute, per user name.
struct Reading {
  StringList users;
  std::map<std::string, StringList> filters, limits, spent;
  int32_t debugLevel = 0;
  std::string appPath;

  bool operator==(const Reading&) const = default;
};

// The service's side of the registry hwctl writes to: a service state on the same tree and clock.
class ServiceSide {
 public:
  explicit ServiceSide(HwctlFixture& hwctl) : platform_(PlatformOf(hwctl, format_)), service(platform_) {
    service.CycleNow = hwctl.clock.Now();
    Guard([&] {
      LoadSettings(service);
      ReadSpentTimes(service);
    });
  }

  // The minute's reload: the logoff requests, the reload request, and the reload when asked.
  bool Minute() {
    bool reloaded = false;
    Guard([&] {
      for (const std::string& name : service.RestrictedUsers) ReadLogoffFlag(service, name);
      reloaded = CheckReloadRequest(service) != 0;
      if (reloaded) {
        LoadSettings(service);
        ReadSpentTimes(service);
      }
    });
    return reloaded;
  }

  Reading Read() const {
    Reading reading{service.RestrictedUsers, {}, {}, {}, service.DebugLevel, service.AppPath};
    for (int i = 0; i < service.RestrictedUsers.Count(); ++i) {
      const std::string& name = service.RestrictedUsers[i];
      const StringList* filters = TableEntry(service.DayFilters, i);
      const StringList* limits = TableEntry(service.DayLimits, i);
      const StringList* spent = TableEntry(service.SpentTimes, i);
      Require(filters && limits && spent, "the service reads every user hwctl writes", name);
      reading.filters[name] = *filters;
      reading.limits[name] = *limits;
      reading.spent[name] = *spent;
    }
    return reading;
  }

  // A minute of the service that finds the user's count at the minutes given: the counts brought
  // to today, then written.
  void Spend(const std::string& name, int minutes) {
    const int index = service.RestrictedUsers.IndexOf(name);
    if (index < 0) return;
    UpdateSpentTimes(service);
    *TableEntry(service.SpentTimes, index) = StringList{std::to_string(minutes), Today()};
    Guard([&] { WriteSpentTimes(service); });
  }

  std::string Today() const { return FormatStoredDate(service.CycleNow); }
  TimeSources TimeUrl() { return TimeSourcesOfService(service); }

 private:
  static ServicePlatform PlatformOf(HwctlFixture& hwctl, FixedRegionalFormat& format) {
    ServicePlatform platform;
    platform.clock = &hwctl.clock;
    platform.regionalFormat = &format;
    platform.openRegistry = hwctl.registry.Opener();
    return platform;
  }

  template <class Step>
  static void Guard(Step step) {
    try {
      step();
    } catch (const std::exception& error) {
      Require(false, "no exception escapes the service's reading of what hwctl wrote", error.what());
    }
  }

  FixedRegionalFormat format_;
  ServicePlatform platform_;

 public:
  ServiceState service;
};

using Values = std::map<std::string, RegistryValue>;

// The values of a snapshot but the reload request.
Values WithoutReloadRequest(Values values) {
  const std::string request = std::string(kProductKey) + "|ReadSettings";
  std::erase_if(values, [&](const auto& entry) { return SameText(entry.first, request); });
  return values;
}

// The minutes of a text of digits, at most 10,000; 0 for any other text.
int MinutesOf(std::string_view text) {
  int minutes = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return 0;
    minutes = std::min(10'000, minutes * 10 + (c - '0'));
  }
  return minutes;
}

// The name as the service spells the user (the key's own spelling), or nothing.
std::optional<std::string> Spelling(const Reading& reading, std::string_view name) {
  const int index = reading.users.IndexOf(name);
  if (index < 0) return std::nullopt;
  return reading.users[index];
}

// The readings before and after are equal but for the one user's entries.
void RequireOthersKept(Reading before, Reading after, const std::string& user, std::string_view line) {
  for (Reading* reading : {&before, &after}) {
    reading->filters.erase(user);
    reading->limits.erase(user);
    reading->spent.erase(user);
    const int index = reading->users.IndexOf(user);
    if (index >= 0) reading->users.Delete(index);
  }
  Require(before == after, "a command for one user changes no other reading", line);
}

// The key an added name takes: the name of the account it stands for among the fixture's
// accounts, or the name itself (--not-yet).
std::string AddedName(const std::string& given) {
  const FakeLocalAccounts accounts;
  const AccountResolution resolution = ResolveAccount(accounts.List(), accounts, "KIDS PC", given);
  return resolution.outcome == AccountResolution::Outcome::kAccount ? resolution.account.name : given;
}

// What the service reads after a command hwctl carried out, against what the command says. The
// words are the command and its arguments, without the --yes of remove and the --not-yet of add.
void CheckCarriedOut(const std::vector<std::string>& words, const Reading& before, const Reading& after,
                     ServiceSide& service, std::string_view line) {
  const std::string& command = words[0];
  const std::optional<std::string> user =
      words.size() > 1 ? Spelling(after, command == "add" ? AddedName(words[1]) : words[1]) : std::nullopt;
  const bool forUser = command == "add" || command == "limit" || command == "periods" || command == "grant";
  if (forUser) {
    Require(user.has_value(), "the user of a carried-out command is restricted", line);
    RequireOthersKept(before, after, *user, line);
  } else if (command == "remove") {
    const std::optional<std::string> removed = Spelling(before, words[1]);
    Require(removed && !user, "a removed user is no longer restricted", line);
    RequireOthersKept(before, after, *removed, line);
  }
  if (command != "path" && command != "debug")
    Require(after.debugLevel == before.debugLevel && after.appPath == before.appPath,
            "only debug and path change the product's settings", line);

  if (command == "add") {
    Require(*user == AddedName(words[1]), "an added user is restricted under its account's name", line);
    Require(after.filters.at(*user) == StringList{"", "", "", "", "", "", ""}, "an added user has no period", line);
    for (const std::string& allowance : after.limits.at(*user))
      Require(allowance == kWholeDayMinutes, "an added user has no limit", line);
  } else if (command == "limit") {
    const StringList& limits = after.limits.at(*user);
    Require(limits.Count() == kDaysInWeek, "the user keeps seven allowances", line);
    for (int day = 0; day < kDaysInWeek; ++day)
      Require(ParseDecimal32(limits[day]) == AllowanceOfArgument(words[2 + day]).value,
              "the service reads each allowance as given", line);
  } else if (command == "periods") {
    std::string typed;
    for (size_t i = 3; i < words.size(); ++i) typed += (typed.empty() ? "" : " ") + words[i];
    const std::optional<std::vector<Period>> periods = TypedPeriods(typed);
    const std::optional<std::vector<int>> days = DaysOfArgument(words[2]).value;
    Require(periods && days, "hwctl carries out only periods in order of time on named days", line);
    const MinuteFlags restricted = RestrictedMinutes(*periods);
    const StringList& filters = after.filters.at(*user);
    Require(filters.Count() == kDaysInWeek, "the user has the seven filters hwctl writes", line);
    std::set<std::string> walked;  // a filter on several days is walked once
    for (int day = 0; day < kDaysInWeek; ++day) {
      if (std::find(days->begin(), days->end(), day) != days->end()) {
        if (walked.insert(filters[day]).second) RequireWalkMatches(filters[day], restricted, line);
      } else
        Require(filters[day] == before.filters.at(*user)[day], "the days not named keep their filters", line);
    }
  } else if (command == "grant") {
    const StringList& counted = before.spent.at(*user);
    const int spent = counted[1] == service.Today() ? ParseDecimal32(counted[0]).value_or(0) : 0;
    const int left = std::max(0, spent - GrantOfArgument(words[2]).value.value_or(0));
    Require(after.spent.at(*user) == (spent > 0 ? StringList{std::to_string(left), service.Today()} : counted),
            "a grant lowers today's count by the minutes given, never below 0", line);
  } else if (command == "debug") {
    Require(after.debugLevel == DebugLevelOfArgument(words[1]).value, "the service's debug level is the one given",
            line);
  } else if (command == "path") {
    const std::string& folder = words[1];
    Require(!folder.empty() && after.appPath == (folder.back() == '\\' ? folder : folder + "\\"),
            "the logs go to the folder given", line);
  } else if (command == "timeurl") {
    // The addresses given, in order (each word split at its blanks, as the value is), or none.
    std::string value;
    for (size_t i = 1; i < words.size(); ++i) value += words[i] + " ";
    Require(service.TimeUrl() == TimeSourcesOf(words.size() == 2 && words[1] == "default" ? "" : value),
            "the service asks the time pages given, the default ones or none", line);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  constexpr size_t kMaxCommands = 16;
  constexpr size_t kMaxWords = 12;
  HwctlFixture hwctl;
  // A configured machine: with no product key the service would keep its built-in debug level
  // until the first command creates the key.
  hwctl.registry.SetIntegerForTesting(kProductKey, "Debug", 2);
  hwctl.registry.SetStringForTesting(kProductKey, "Path", "C:\\Hourwarden\\");
  ServiceSide service(hwctl);
  Reading before = service.Read();
  for (const std::string_view line : Split(InputText(data, size), '\n', kMaxCommands)) {
    std::vector<std::string> words;
    for (const std::string_view word : Split(line, '\t', kMaxWords)) words.emplace_back(word);
    if (words[0] == "spend") {
      if (words.size() == 3) service.Spend(words[1], MinutesOf(words[2]));
      before = service.Read();
      continue;
    }

    const Values stored = hwctl.Snapshot();
    const CommandResult result = hwctl.Hwctl(words);
    Require(result.exitCode == kExitSuccess || result.exitCode == kExitRefused || result.exitCode == kExitUsage,
            "hwctl exits with 0, 1 or 2", line);
    if (result.exitCode != kExitSuccess) {
      Require(!result.error.empty() || (words[0] == "check" && !result.output.empty()),
              "a refusal says why", line);
      Require(hwctl.Snapshot() == stored, "a refused command writes nothing", line);
    }
    const bool changed = WithoutReloadRequest(hwctl.Snapshot()) != WithoutReloadRequest(stored);
    const bool reloaded = service.Minute();
    const Reading after = service.Read();
    if (changed && words[0] != "timeurl") Require(reloaded, "every change the service reads asks for the reload", line);
    if (!reloaded || !changed) Require(after == before, "without a change the service's reading stays", line);

    const bool help = std::find_if(words.begin(), words.end(), [](const std::string& word) {
                        return word == "--help" || word == "-h";
                      }) != words.end();
    std::erase(words, std::string("--yes"));
    std::erase(words, std::string("--not-yet"));
    if (result.exitCode == kExitSuccess && !help) CheckCarriedOut(words, before, after, service, line);
    before = after;
  }
  return 0;
}
