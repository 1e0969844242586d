#pragma once

#include <stdexcept>
#include <string>
#include <vector>

#include "hwctl/hwctl_system.h"
#include "hwctl/stored_settings.h"

// The commands that change the configuration. Each checks every value first and writes nothing
// when one is refused; a change the service reads at a reload ends by raising ReadSettings. Each
// returns the text that tells the administrator what was done.

// Why a command stops: a refused value, an unknown user, a key that cannot be opened for writing.
class CommandError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// What one command works with: the system it works on and its registry access object.
class ConfigSession {
 public:
  // Reads TimeZone first, so that every command sees the day the service sees. With verbose the
  // reports name the registry values they tell of.
  ConfigSession(const HwctlSystem& system, RegistryAccess& registry, bool verbose = false);

  // The local date-time as the service takes it: in the zone TimeZone names when it is a zone of
  // this computer, else in the computer's own.
  double Now() const;
  // TimeZone as it was found when the session began.
  const StoredText& StoredTimeZone() const { return timeZone_; }
  // The computer's time zones (none in a system without them) and its clocks.
  const TimeZones* Zones() const { return system_.timeZones; }
  const Clock& Clocks() const { return *system_.clock; }
  // What hwctl works with.
  const HwctlSystem& System() const { return system_; }
  // The folders' access lists.
  const FolderAccessSource& Folders() const { return *system_.folderAccess; }

  // The restricted user of that name (any letter case); CommandError when there is none.
  StoredUser RequireUser(const std::string& name);
  // Opens the key read-write, creating it when absent; CommandError when it cannot be opened.
  void OpenForWriting(const std::string& path);
  // Raises ReadSettings, so the service reloads its settings and counted minutes at its next
  // minute.
  void RequestReload();

  RegistryAccess& registry;
  const bool verbose;

 private:
  const HwctlSystem& system_;
  StoredText timeZone_;
};

// add USER [--not-yet]: a new user key with every day filter empty and every allowance 1440, named
// for the local account USER stands for (its name, full name or Microsoft address). A name that
// is no local account is refused unless notYet; an account of a directory is always refused.
std::string AddUser(ConfigSession& session, const std::string& given, bool notYet);
// remove USER --yes: deletes the user's key.
std::string RemoveUser(ConfigSession& session, const std::string& name, bool confirmed);
// limit USER M T W T F S S: the seven allowances as DayLimit.
std::string SetDayLimit(ConfigSession& session, const std::string& name, const std::vector<std::string>& allowances);
// periods USER DAY PERIODS: the day filter of the named days. Day0..Day6 are all written, the
// other days with what the service reads for them now, so no gap can hide a day.
std::string SetPeriods(ConfigSession& session, const std::string& name, const std::string& dayArgument,
                       const std::string& periods);
// grant USER MINUTES: lowers today's SpentTime, never below 0.
std::string GrantTime(ConfigSession& session, const std::string& name, const std::string& minutesArgument);
// debug LEVEL.
std::string SetDebugLevel(ConfigSession& session, const std::string& levelArgument);
// path FOLDER [--create]: with a trailing backslash; the folder must exist and be kept from
// standard users. With create, a missing folder is made, with access for LocalSystem and the
// Administrators only.
std::string SetLogFolder(ConfigSession& session, const std::string& folder, bool create);
// servicelogoff on|off: ServiceLogoff 1 or 0.
std::string SetServiceLogoff(ConfigSession& session, const std::string& setting);
// endsession lock|logoff: EndSession "lock" or "logoff".
std::string SetEndSession(ConfigSession& session, const std::string& setting);
// countlocked on|off: CountLockedSessions 1 or 0.
std::string SetCountLockedSessions(ConfigSession& session, const std::string& setting);
// timeurl URL [URL...] (the addresses, tried in order), "none" (the computer's clock trusted), or
// "default" for the empty value.
std::string SetTimeUrl(ConfigSession& session, const std::vector<std::string>& arguments);
