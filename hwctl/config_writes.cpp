#include "hwctl/config_writes.h"

#include <algorithm>
#include <array>

#include "configuration/account_resolution.h"
#include "configuration/more_time.h"
#include "configuration/validation.h"
#include "hwctl/account_table.h"
#include "hwctl/configuration_check.h"
#include "hwctl/plain_words.h"
#include "base/date_time.h"
#include "core/zone_local_time.h"
#include "settings/settings_loader.h"
#include "settings/time_url.h"

namespace {

constexpr char kAppliedAtNextMinute[] = "The service applies it at its next minute.\n";

[[noreturn]] void Refuse(const std::string& what) { throw CommandError("refused: " + what + "; nothing was written"); }

// A refusal followed by lines that help to do better.
[[noreturn]] void Refuse(const std::string& what, std::string help) {
  while (!help.empty() && help.back() == '\n') help.pop_back();
  throw CommandError("refused: " + what + "; nothing was written\n" + help);
}

std::string Joined(const std::vector<std::string>& pieces, const std::string& separator) {
  std::string text;
  for (const std::string& piece : pieces) text += (text.empty() ? "" : separator) + piece;
  return text;
}

std::string PeriodsForPeople(const std::string& filter) {
  const std::vector<std::string> periods = PeriodsOfFilter(filter);
  return periods.empty() ? "no restricted period" : "restricted " + Joined(periods, ", ");
}

// Commands that keep some of the stored values need to read them first.
void RequireReadable(const StoredUser& user) {
  if (!user.readable) throw CommandError("cannot read " + DisplayKey(UserKeyPath(user.name)) + "; nothing was written");
}

// The day filters to store for the user: the service's current reading of every day, with the
// new filter on the named days. Refused when a value of the wrong type stops that reading at a
// day that keeps its filter.
std::array<std::string, kDaysInWeek> WeekWithPeriods(const StoredUser& user, const std::vector<int>& days,
                                                     const std::string& filter) {
  std::array<std::string, kDaysInWeek> week;
  const auto named = [&](int day) { return std::find(days.begin(), days.end(), day) != days.end(); };
  bool pastGap = false;
  for (int day = 0; day < kDaysInWeek; ++day) {
    const StoredText& value = user.days[day];
    pastGap = pastGap || !value.present;
    if (named(day)) {
      week[day] = filter;
    } else if (!pastGap) {
      if (!value.typeError.empty())
        Refuse(DayValueLabel(day) + " of " + user.name + " is not a string value, so the service reads no day from it on: " +
               "set that day first with hwctl periods " + user.name + " " + ShortWeekdayName(day));
      week[day] = value.text;
    }
  }
  return week;
}

}  // namespace

ConfigSession::ConfigSession(const HwctlSystem& system, RegistryAccess& registry, bool verbose)
    : registry(registry), verbose(verbose), system_(system), timeZone_(ReadStoredTimeZone(registry)) {}

double ConfigSession::Now() const {
  return LocalNowIn(*system_.clock, system_.timeZones, timeZone_.typeError.empty() ? timeZone_.text : "");
}

StoredUser ConfigSession::RequireUser(const std::string& name) {
  std::optional<StoredUser> user = ReadStoredUser(registry, name);
  if (!user)
    throw CommandError(name + " is not a restricted user; hwctl add " + name + " makes one");
  return std::move(*user);
}

void ConfigSession::OpenForWriting(const std::string& path) {
  if (!registry.OpenKey(path))
    throw CommandError("cannot open " + DisplayKey(path) + " for writing; run hwctl as an administrator");
}

void ConfigSession::RequestReload() {
  OpenForWriting(kProductKey);
  registry.WriteInteger("ReadSettings", 1);
  registry.CloseKey();
}

std::string AddUser(ConfigSession& session, const std::string& given, bool notYet) {
  const HwctlSystem& system = session.System();
  AccountResolution resolution;
  LocalAccountList accounts;
  if (system.accounts != nullptr) {
    const CallResult<LocalAccountList> listing = system.accounts->List();
    resolution = ResolveAccount(listing, *system.accounts, system.computerName, given);
    if (listing) accounts = listing.Value();
  } else {
    resolution.outcome = AccountResolution::Outcome::kUnlisted;
    resolution.failure = "no account calls here";
  }
  std::string name = given;
  std::string label = given;
  std::string warning;
  switch (resolution.outcome) {
    case AccountResolution::Outcome::kAccount:
      name = resolution.account.name;
      label = AccountLabel(resolution.account);
      if (resolution.account.administrator)
        warning = "warning: " + name + " is an administrator of this computer and can lift every limit; make it a\n"
                  "standard account.\n";
      break;
    case AccountResolution::Outcome::kDirectory:
      Refuse(given + " is an account of " + resolution.domain + ", not of this computer",
             "The logon hours of a domain or work account are kept by its directory, which Hourwarden does\n"
             "not change: restrict a local account.");
    case AccountResolution::Outcome::kSeveral:
      Refuse(given + " is the full name of several accounts",
             "Give the account's name:\n" + AccountTable(resolution.matches));
    case AccountResolution::Outcome::kNone:
      if (!notYet)
        Refuse(given + " is no account of this computer",
               "Give an account's name, full name or Microsoft address; --not-yet restricts the name for an\n"
               "account made later. The accounts of this computer:\n" +
                   AccountTable(accounts.accounts));
      warning = "warning: no account of this computer is named " + given + " yet; the limits apply to the account\n"
                "made later under exactly that name.\n";
      break;
    case AccountResolution::Outcome::kUnlisted:
      if (!notYet)
        Refuse("the accounts of this computer cannot be listed (" + resolution.failure + ")",
               "--not-yet restricts the name as given.");
      warning = "warning: the accounts of this computer could not be listed; " + given +
                " is restricted as given.\n";
      break;
  }
  if (const std::optional<std::string> problem = UserNameProblem(name)) Refuse("user name: " + *problem);
  if (session.registry.KeyExists(UserKeyPath(name))) Refuse(name + " is already a restricted user");
  session.OpenForWriting(UserKeyPath(name));
  for (int day = 0; day < kDaysInWeek; ++day) session.registry.WriteString(DayValueName(day), "");
  session.registry.WriteString("DayLimit", Joined(std::vector<std::string>(kDaysInWeek, kWholeDayMinutes), " "));
  session.registry.CloseKey();
  session.RequestReload();
  return label + " is now a restricted user, with no restricted period and no daily limit yet.\n" + warning +
         "Set them with: hwctl limit " + name + " ... and hwctl periods " + name + " ...\n" + kAppliedAtNextMinute;
}

std::string RemoveUser(ConfigSession& session, const std::string& name, bool confirmed) {
  const StoredUser user = session.RequireUser(name);
  if (!confirmed)
    throw CommandError("remove deletes the periods, allowances and counted minutes of " + user.name +
                       "; confirm with: hwctl remove " + user.name + " --yes");
  if (!session.registry.DeleteKey(UserKeyPath(user.name)))
    throw CommandError("cannot delete " + DisplayKey(UserKeyPath(user.name)) +
                       " (it holds subkeys, or hwctl does not run as an administrator)");
  session.RequestReload();
  return user.name + " is no longer a restricted user. The service lets go of the account at its next minute.\n" +
         "An account blocked at this moment stays blocked; give it back its logon hours with:\n" +
         "  net user " + user.name + " /times:all\n";
}

std::string SetDayLimit(ConfigSession& session, const std::string& name, const std::vector<std::string>& allowances) {
  std::vector<std::string> minutes;
  std::vector<int> values;
  for (size_t day = 0; day < allowances.size(); ++day) {
    const Checked<int> allowance = AllowanceOfArgument(allowances[day]);
    if (!allowance.value) Refuse("allowance of " + name + " on " + kWeekdayNames[day] + ": " + allowance.refusal);
    minutes.push_back(std::to_string(*allowance.value));
    values.push_back(*allowance.value);
  }
  const StoredUser user = session.RequireUser(name);
  const std::string stored = Joined(minutes, " ");
  session.OpenForWriting(UserKeyPath(user.name));
  session.registry.WriteString("DayLimit", stored);
  session.registry.CloseKey();
  session.RequestReload();
  return user.name + ": " + WeekAllowanceWords(values) + ".\n" + kAppliedAtNextMinute;
}

std::string SetPeriods(ConfigSession& session, const std::string& name, const std::string& dayArgument,
                       const std::string& periods) {
  const Checked<std::vector<int>> days = DaysOfArgument(dayArgument);
  if (!days.value) Refuse(days.refusal);
  const Checked<std::string> filter = StoredFilterOfPeriods(periods);
  if (!filter.value) {
    Refuse("restricted periods of " + name + " on " + DaysWords(*days.value) + ": " + filter.refusal);
  }
  const StoredUser user = session.RequireUser(name);
  RequireReadable(user);
  const std::array<std::string, kDaysInWeek> week = WeekWithPeriods(user, *days.value, *filter.value);
  session.OpenForWriting(UserKeyPath(user.name));
  for (int day = 0; day < kDaysInWeek; ++day) session.registry.WriteString(DayValueName(day), week[day]);
  session.registry.CloseKey();
  session.RequestReload();
  return user.name + ": " + DaysWords(*days.value) + " " + PeriodsForPeople(*filter.value) + ".\n" +
         kAppliedAtNextMinute;
}

std::string GrantTime(ConfigSession& session, const std::string& name, const std::string& minutesArgument) {
  const Checked<int> minutes = GrantOfArgument(minutesArgument);
  if (!minutes.value) Refuse("extra time for " + name + ": " + minutes.refusal);
  const StoredUser user = session.RequireUser(name);
  RequireReadable(user);
  const TimeGrant grant = PlanTimeGrant(user, session.Now(), *minutes.value);
  if (grant.nothingCounted) return user.name + " has no minutes counted today: there is nothing to give back.\n";
  session.OpenForWriting(UserKeyPath(user.name));
  WriteTimeGrant(session.registry, grant);
  session.registry.CloseKey();
  session.RequestReload();
  std::string text = user.name + ": " + std::to_string(grant.given) + " minutes given back";
  if (grant.given < *minutes.value) text += " (only " + std::to_string(grant.counted) + " were counted today)";
  return text + "; " + std::to_string(grant.left) + " minutes now counted today.\n" + kAppliedAtNextMinute;
}

std::string SetDebugLevel(ConfigSession& session, const std::string& levelArgument) {
  const Checked<int> level = DebugLevelOfArgument(levelArgument);
  if (!level.value) Refuse("debug level: " + level.refusal);
  session.OpenForWriting(kProductKey);
  session.registry.WriteInteger("Debug", *level.value);
  session.registry.CloseKey();
  session.RequestReload();
  static const char* const kWhatIsLogged[] = {
      "nothing",
      "user events and failures",
      "user events, failures and the service's start and stop",
      "user events, failures, the service's start and stop and every minute",
      "everything, down to every look at the running programs",
  };
  return "The debug log now records " + std::string(kWhatIsLogged[*level.value]) + " (level " +
         std::to_string(*level.value) + ").\n" + kAppliedAtNextMinute;
}

std::string SetServiceLogoff(ConfigSession& session, const std::string& setting) {
  if (setting != "on" && setting != "off") Refuse("servicelogoff: \"" + setting + "\" is neither on nor off");
  session.OpenForWriting(kProductKey);
  session.registry.WriteInteger(kServiceLogoffValue, setting == "on" ? 1 : 0);
  session.registry.CloseKey();
  session.RequestReload();
  return setting == "on" ? "The service now ends the sessions of a user who stays logged on against the logoff request.\n" +
                               std::string(kAppliedAtNextMinute)
                         : "The service no longer ends sessions itself: only the session tool logs users off.\n" +
                               std::string(kAppliedAtNextMinute);
}

std::string SetEndSession(ConfigSession& session, const std::string& setting) {
  if (setting != kEndSessionLock && setting != kEndSessionLogoff)
    Refuse("endsession: \"" + setting + "\" is neither lock nor logoff");
  session.OpenForWriting(kProductKey);
  session.registry.WriteString(kEndSessionValue, setting);
  session.registry.CloseKey();
  session.RequestReload();
  return (setting == kEndSessionLock
              ? std::string("When the time is up the session is now locked and its programs stay open.\n")
              : std::string("When the time is up the user is now signed out; unsaved work is lost.\n")) +
         kAppliedAtNextMinute;
}

std::string SetCountLockedSessions(ConfigSession& session, const std::string& setting) {
  if (setting != "on" && setting != "off") Refuse("countlocked: \"" + setting + "\" is neither on nor off");
  session.OpenForWriting(kProductKey);
  session.registry.WriteInteger(kCountLockedSessionsValue, setting == "on" ? 1 : 0);
  session.registry.CloseKey();
  session.RequestReload();
  return (setting == "on" ? std::string("Every minute with a program running now counts, the screen locked or not.\n")
                          : std::string("A minute now counts only while a session of the user is in use, not while "
                                        "the screen is locked or the session switched away from.\n")) +
         kAppliedAtNextMinute;
}

std::string SetLogFolder(ConfigSession& session, const std::string& folder, bool create) {
  const std::string path = !folder.empty() && folder.back() != '\\' ? folder + "\\" : folder;
  const std::vector<std::string> problems = PathProblems(path);
  if (!problems.empty()) Refuse("log folder: " + problems.front());
  std::string created;
  const CallResult<FolderAccessList> before = session.Folders().Read(path);
  if (create && before && before.Value().kind == FolderAccessList::Kind::kNotFound) {
    if (const CallResult<> made = session.Folders().CreateAdminOnlyFolder(path); !made)
      Refuse("log folder: the folder " + path + " could not be created (" + made.Failure() + ")");
    created = "Created " + path + ", which only LocalSystem and the Administrators may use.\n";
  }
  if (const std::optional<std::string> problem = LogFolderProblem(path, session.Folders()))
    Refuse("log folder: " + *problem);
  session.OpenForWriting(kProductKey);
  session.registry.WriteString("Path", path);
  session.registry.CloseKey();
  session.RequestReload();
  return created + "The service now writes its logs to " + path + "debug.log and " + path + "process.log.\n" +
         kAppliedAtNextMinute;
}

std::string SetTimeUrl(ConfigSession& session, const std::vector<std::string>& arguments) {
  std::string value;
  for (const std::string& argument : arguments) value += (value.empty() ? "" : " ") + argument;
  const bool useDefault = value == "default";
  if (useDefault) value.clear();
  if (const std::optional<std::string> problem = TimeUrlProblem(value)) Refuse("time pages: " + *problem);
  session.OpenForWriting(kProductKey);
  session.registry.WriteString(kTimeUrlValue, value);
  session.registry.CloseKey();
  std::string said;
  if (useDefault)
    said = "The service now asks its built-in https:// time pages (Microsoft, Google, Cloudflare) for the time";
  else if (TimeSourcesOf(value).trustClock)
    said = "The service now trusts the computer's clock without asking any site, so whoever can set the firmware's "
           "clock can move the days";
  else
    said = "The service now asks " + Joined(TimeSourcesOf(value).urls, ", then ") + " for the time";
  return said + ".\nThe service uses it from its next time check.\n";
}
