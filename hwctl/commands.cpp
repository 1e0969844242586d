#include "hwctl/commands.h"

#include <algorithm>
#include <memory>

#include "core/version.h"
#include "hwctl/account_check.h"
#include "hwctl/configuration_check.h"
#include "hwctl/config_writes.h"
#include "hwctl/installation_check.h"
#include "hwctl/parent_code_commands.h"
#include "hwctl/reports.h"
#include "hwctl/stored_settings.h"
#include "hwctl/time_setting.h"
#include "hwctl/written_values.h"
#include "parentcode/more_time_protocol.h"

namespace {

// The command line of one command: its positional arguments and its switches.
struct Invocation {
  std::vector<std::string> arguments;
  bool flag = false;  // the command's one option was given
};

struct Command {
  const char* name;
  const char* usage;
  const char* summary;
  const char* details;
  size_t minArguments;
  size_t maxArguments;
  const char* flag;  // the one option the command takes ("--yes"), or nullptr
  CommandResult (*run)(const Invocation&, ConfigSession&);
};

constexpr size_t kAnyNumber = static_cast<size_t>(-1);

CommandResult Output(std::string text) { return {kExitSuccess, std::move(text), {}}; }

// The computer's accounts; none, with the reason, where they cannot be listed.
CallResult<LocalAccountList> Accounts(const ConfigSession& session) {
  if (session.System().accounts != nullptr) return session.System().accounts->List();
  return CallFailure{"no account calls here"};
}

CommandResult RunList(const Invocation&, ConfigSession& session) {
  const StoredConfiguration configuration = ReadStoredConfiguration(session.registry);
  const CallResult<LocalAccountList> accounts = Accounts(session);
  std::string who;
  for (const StoredUser& user : configuration.users) who += AccountLine(user.name, accounts);
  return Output(ListReport(configuration, session.Now(), ZoneLine(ReadZone(session), session.verbose)) + who +
                CountLockedLine(configuration.product, session.verbose));
}

CommandResult RunShow(const Invocation& invocation, ConfigSession& session) {
  const StoredUser user = session.RequireUser(invocation.arguments[0]);
  const StoredProduct product = ReadStoredConfiguration(session.registry).product;
  const bool verbose = session.verbose;
  return Output(ShowReport(user, session.Now(), ZoneLine(ReadZone(session), verbose), verbose) +
                AccountLine(user.name, Accounts(session)) + EndSessionLine(product, verbose) +
                ServiceLogoffLine(product, verbose) + CountLockedLine(product, verbose));
}

CommandResult RunServiceLogoff(const Invocation& invocation, ConfigSession& session) {
  return Output(SetServiceLogoff(session, invocation.arguments[0]));
}

CommandResult RunEndSession(const Invocation& invocation, ConfigSession& session) {
  return Output(SetEndSession(session, invocation.arguments[0]));
}

CommandResult RunCountLocked(const Invocation& invocation, ConfigSession& session) {
  return Output(SetCountLockedSessions(session, invocation.arguments[0]));
}

CommandResult RunAdd(const Invocation& invocation, ConfigSession& session) {
  return Output(AddUser(session, invocation.arguments[0], invocation.flag));
}

CommandResult RunRemove(const Invocation& invocation, ConfigSession& session) {
  return Output(RemoveUser(session, invocation.arguments[0], invocation.flag));
}

CommandResult RunLimit(const Invocation& invocation, ConfigSession& session) {
  const std::vector<std::string> allowances(invocation.arguments.begin() + 1, invocation.arguments.end());
  return Output(SetDayLimit(session, invocation.arguments[0], allowances));
}

CommandResult RunPeriods(const Invocation& invocation, ConfigSession& session) {
  std::string periods;
  for (size_t i = 2; i < invocation.arguments.size(); ++i)
    periods += (periods.empty() ? "" : " ") + invocation.arguments[i];
  return Output(SetPeriods(session, invocation.arguments[0], invocation.arguments[1], periods));
}

CommandResult RunGrant(const Invocation& invocation, ConfigSession& session) {
  return Output(GrantTime(session, invocation.arguments[0], invocation.arguments[1]));
}

CommandResult RunReload(const Invocation&, ConfigSession& session) {
  session.RequestReload();
  return Output("Reload requested: the service reads its settings and counted minutes at its next minute.\n");
}

CommandResult RunDebug(const Invocation& invocation, ConfigSession& session) {
  return Output(SetDebugLevel(session, invocation.arguments[0]));
}

CommandResult RunPath(const Invocation& invocation, ConfigSession& session) {
  return Output(SetLogFolder(session, invocation.arguments[0], invocation.flag));
}

CommandResult RunTimeUrl(const Invocation& invocation, ConfigSession& session) {
  return Output(SetTimeUrl(session, invocation.arguments));
}

CommandResult RunTimeZone(const Invocation& invocation, ConfigSession& session) {
  std::string name;  // a zone's name may come in pieces when it is not quoted
  for (const std::string& piece : invocation.arguments) name += (name.empty() ? "" : " ") + piece;
  return Output(SetTimeZone(session, name));
}

CommandResult RunCheck(const Invocation& invocation, ConfigSession& session) {
  const StoredConfiguration configuration = ReadStoredConfiguration(session.registry);
  std::vector<Problem> problems = FindProblems(configuration, session.Folders());
  const ZoneReading zone = ReadZone(session);
  for (const Problem& problem : ZoneProblems(zone)) problems.push_back(problem);
  for (const Problem& problem : FindParentCodeProblems(session)) problems.push_back(problem);
  std::vector<Problem> warnings = TimeWarnings(configuration.product, zone);
  if (session.System().accounts != nullptr) {
    const AccountFindings accounts = CheckAccounts(configuration, Accounts(session));
    problems.insert(problems.end(), accounts.problems.begin(), accounts.problems.end());
    warnings.insert(warnings.end(), accounts.warnings.begin(), accounts.warnings.end());
  }
  std::string summary;
  const HwctlSystem& system = session.System();
  if (!invocation.flag && system.services != nullptr && system.serviceClient != nullptr) {
    const InstallationFindings installation =
        CheckInstallation(system.services->Read(kServiceName), session.registry, *system.serviceClient);
    problems.insert(problems.end(), installation.problems.begin(), installation.problems.end());
    warnings.insert(warnings.end(), installation.warnings.begin(), installation.warnings.end());
    summary = installation.summary;
  }
  // A fresh install (no key, or the installer's values without any user) is no failure.
  const bool noUsers = configuration.users.empty() &&
                       !(configuration.restrictionsKeyExists && !configuration.restrictionsReadable);
  const std::string fresh =
      noUsers ? "Nothing is restricted yet: the service restricts nobody until an account is added with hwctl add USER.\n"
              : std::string();
  return {problems.empty() ? kExitSuccess : kExitRefused,
          fresh + CheckReport(problems, warnings) + ParentCodeStatusLine(session) + summary, {}};
}

CommandResult RunParentCode(const Invocation& invocation, ConfigSession& session) {
  const std::vector<std::string>& arguments = invocation.arguments;
  const std::string& what = arguments[0];
  if (!(arguments.size() == 1 && (what == "new" || what == "off" || what == "show")) &&
      !(arguments.size() == 3 && what == "max") && !((arguments.size() == 2 || arguments.size() == 3) && what == "minutes"))
    return {kExitUsage, {}, std::string("hwctl: unknown use of parent-code; usage: ") + kParentCodeUsage};
  return Output(RunParentCodeCommand(session, arguments));
}

const Command kCommands[] = {
    {"list", "list", "each restricted user today: allowance, minutes spent and left",
     "Shows each restricted user's allowance for today, the minutes counted today and those left,\n"
     "whether a restricted period holds now and when the next one begins, and whether the service\n"
     "has asked the user to log off. \"unlimited\" is an allowance of the whole day (1440).\n",
     0, 0, nullptr, RunList},
    {"show", "show USER", "the user's week: allowances and restricted periods",
     "Shows the allowance and the restricted periods of each weekday as the service reads them;\n"
     "the row marked * is today.\n",
     1, 1, nullptr, RunShow},
    {"add", "add USER [--not-yet]", "make the account a restricted user, with no limits yet",
     "Creates the user's key with no restricted period and no daily limit. Set them with\n"
     "hwctl limit and hwctl periods. USER is the account's name, its full name as the sign-in screen\n"
     "shows it, or the Microsoft account's address it signs in with; the key takes the account's\n"
     "name. A name that is no account of this computer is refused, with the accounts listed;\n"
     "--not-yet restricts it all the same, for an account made later under exactly that name.\n",
     1, 1, "--not-yet", RunAdd},
    {"remove", "remove USER --yes", "stop restricting the user and delete the user's settings",
     "Deletes the user's key with its periods, allowances and counted minutes. Needs --yes.\n", 1, 1, "--yes",
     RunRemove},
    {"limit", "limit USER MON TUE WED THU FRI SAT SUN", "set the daily allowances in minutes",
     "Sets the allowance of each weekday, Monday first: whole minutes from 0 to 1440, or - for no\n"
     "limit (1440). Example: hwctl limit alice 60 60 60 60 90 - -\n",
     8, 8, nullptr, RunLimit},
    {"periods", "periods USER DAY PERIODS", "set the restricted periods of a weekday",
     "Sets the periods in which the user may not use the computer on DAY (mon, tue, wed, thu, fri,\n"
     "sat, sun, or all). PERIODS is a list of HH:mm-HH:mm in order of time, start included, end\n"
     "excluded; 24:00 ends a period at midnight; \"none\" or \"\" clears the day.\n"
     "Example: hwctl periods alice all \"00:00-07:00 21:00-24:00\"\n",
     3, kAnyNumber, nullptr, RunPeriods},
    {"grant", "grant USER MINUTES", "give back minutes of today's counted time",
     "Lowers the minutes counted today by MINUTES (1 to 1440), never below 0, and asks the service\n"
     "to reload them before it counts the next minute.\n",
     2, 2, nullptr, RunGrant},
    {"reload", "reload", "ask the service to read its settings again",
     "Raises ReadSettings: at its next minute the service reads its settings and the counted minutes.\n", 0, 0,
     nullptr, RunReload},
    {"debug", "debug LEVEL", "set how much the service writes to debug.log",
     "Sets the debug level: 0 silent, 1 user events and failures, 2 also the service's life,\n"
     "3 also every minute, 4 also every tick.\n",
     1, 1, nullptr, RunDebug},
    {"path", "path FOLDER [--create]", "set the folder of debug.log and process.log",
     "Sets Path, the folder of the service's logs. It must exist and only administrators may write\n"
     "to it; a trailing backslash is added when missing. --create makes a missing folder, which\n"
     "only LocalSystem and the Administrators may then use.\n",
     1, 1, "--create", RunPath},
    {"timeurl", "timeurl URL [URL...]|none|default", "set the pages the service reads the time from",
     "Sets TimeUrl: https:// or http:// addresses whose answers carry the time, asked in order until\n"
     "one answers. \"default\" returns to the built-in https:// addresses of Microsoft, Google and\n"
     "Cloudflare. \"none\" asks no site and trusts the computer's clock, for a PC without internet:\n"
     "whoever can set the firmware's clock can then move the days. Over plain http:// any network (a\n"
     "phone's hotspot) can answer with its own date. The service uses it from its next time check.\n",
     1, kAnyNumber, nullptr, RunTimeUrl},
    {"timezone", "timezone NAME|current|none", "set the time zone the service keeps its days in",
     "Sets TimeZone, the zone in which the service takes every date and time, so that a user who\n"
     "changes the computer's zone gains nothing. NAME is a zone as Windows names it (tzutil /l lists\n"
     "them), for example \"W. Europe Standard Time\"; current takes the computer's zone as it is now;\n"
     "none empties it, and the service follows the computer's zone, which standard users may change.\n",
     1, kAnyNumber, nullptr, RunTimeZone},
    {"servicelogoff", "servicelogoff on|off", "whether the service itself ends a session left open",
     "on (the default): when a held-back user is still logged on a minute after the session tool's\n"
     "countdown, the service ends every session of the user itself. off: only the session tool in\n"
     "the user's session logs the user off, and a user who ends it stays logged on.\n",
     1, 1, nullptr, RunServiceLogoff},
    {"endsession", "endsession lock|logoff", "whether a held-back user's session is locked or signed out",
     "lock (the installer's setting): when the time is up the session tool locks the screen, and the\n"
     "service disconnects a session still in use two minutes later; the programs stay open, with\n"
     "their memory in use, until the user may log on again. logoff (what the service does without the\n"
     "value): the user is signed out and unsaved work is lost.\n",
     1, 1, nullptr, RunEndSession},
    {"countlocked", "countlocked on|off", "whether a locked or disconnected session uses up time",
     "on (what the service does without the value): a minute counts whenever the user has a program\n"
     "running, also while the screen is locked or the session switched away from. off (the installer's\n"
     "setting): a minute counts only while one of the user's sessions is active and unlocked, or while\n"
     "the user runs programs outside every session.\n",
     1, 1, nullptr, RunCountLocked},
    {"check", "check [--config-only]", "find values the service would misread; check the service",
     "Reads the whole configuration and names each value the service would misread or stop at, with\n"
     "its user and what goes wrong. Then checks the installed service: its own process, started\n"
     "automatically, as LocalSystem, restarted by Windows after every failure (a failed start too),\n"
     "listed for Safe Mode, running and answering on its pipe. --config-only leaves the service out.\n"
     "Exits with 1 when it finds any problem.\n",
     0, 0, "--config-only", RunCheck},
    {"parent-code", "parent-code new|off|show|minutes [USER] MINUTES|max USER MINUTES",
     "more time by a parent's code from a phone",
     "new: makes the secret of a parent's code (replacing an older one) and prints it as a QR code\n"
     "and an address for an authenticator app, which then shows a six-digit code every 30 seconds; a\n"
     "restricted user types it in the session tool to get time back. Each code works once on this PC.\n"
     "off: no code is accepted any more. show: whether one is set up (never the secret), and each\n"
     "user's minutes by code, maximum, minutes given today and wrong codes.\n"
     "minutes [USER] MINUTES: what one code gives, 1 to 1440, for the user or (without USER) for\n"
     "every user without a setting of their own; 30 unless set. max USER MINUTES: the most minutes a\n"
     "day by code for the user, 0 to 1440 (0: none); 60 unless set.\n",
     1, 3, nullptr, RunParentCode},
};

const Command* FindCommand(const std::string& name) {
  for (const Command& command : kCommands)
    if (name == command.name) return &command;
  return nullptr;
}

// The commands, each with its summary beside it, or below it where the usage is long: the lines
// stay within the console's 100 columns.
std::string CommandList() {
  constexpr size_t kSummaryColumn = 36;
  std::string text;
  for (const Command& command : kCommands) {
    std::string line = std::string("  ") + command.usage;
    line += line.size() + 2 <= kSummaryColumn ? std::string(kSummaryColumn - line.size(), ' ')
                                              : "\n" + std::string(kSummaryColumn, ' ');
    text += line + command.summary + "\n";
  }
  return text;
}

std::string Overview() {
  return "hwctl: configure and inspect Hourwarden\n\nCommands:\n" + CommandList() +
         "\nhwctl COMMAND --help describes a command; hwctl --version prints the version. --verbose, with any\n"
         "command, adds the registry values read or written. Run as an administrator.\n";
}

std::string CommandHelp(const Command& command) {
  return std::string("usage: hwctl ") + command.usage + "\n\n" + command.details;
}

CommandResult UsageError(const std::string& message, std::string output = {}) {
  return {kExitUsage, std::move(output), "hwctl: " + message};
}

// Runs the command on the registry; with verbose, the values it changed follow its text.
CommandResult RunOnRegistry(const Command& command, const Invocation& invocation, const HwctlSystem& system,
                            bool verbose) {
  try {
    const std::unique_ptr<RegistryAccess> opened = system.openRegistry();
    RecordingRegistry registry(*opened);
    ConfigSession session(system, registry, verbose);
    CommandResult result = command.run(invocation, session);
    if (verbose && !registry.Changes().empty()) {
      result.output += "Written to the registry:\n";
      for (const std::string& change : registry.Changes()) result.output += "  " + change + "\n";
    }
    return result;
  } catch (const CommandError& error) {
    return {kExitRefused, {}, "hwctl: " + std::string(error.what())};
  } catch (const RegistryError& error) {
    return {kExitRefused, {}, "hwctl: " + std::string(error.what())};
  }
}

}  // namespace

CommandResult RunHwctl(std::vector<std::string> arguments, const HwctlSystem& system) {
  const auto verboseSwitch = std::find(arguments.begin(), arguments.end(), "--verbose");
  const bool verbose = verboseSwitch != arguments.end();
  if (verbose) arguments.erase(verboseSwitch);
  if (arguments.empty()) return UsageError("no command given", Overview());
  const std::string& name = arguments[0];
  if (name == "--version") return Output(std::string("hwctl (Hourwarden) ") + kHourwardenVersion + "\n");
  if (name == "--help" || name == "-h" || name == "help") {
    if (arguments.size() > 1)
      if (const Command* command = FindCommand(arguments[1])) return Output(CommandHelp(*command));
    return Output(Overview());
  }
  const Command* command = FindCommand(name);
  if (command == nullptr) return UsageError("unknown command \"" + name + "\"; hwctl --help lists the commands");

  Invocation invocation;
  for (size_t i = 1; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (argument == "--help" || argument == "-h") return Output(CommandHelp(*command));
    if (command->flag != nullptr && argument == command->flag)
      invocation.flag = true;
    else if (argument.rfind("--", 0) == 0)
      return UsageError("unknown option \"" + argument + "\" for " + name + "; usage: hwctl " + command->usage);
    else
      invocation.arguments.push_back(argument);
  }
  const size_t count = invocation.arguments.size();
  if (count < command->minArguments || count > command->maxArguments)
    return UsageError("wrong number of arguments; usage: hwctl " + std::string(command->usage));

  return RunOnRegistry(*command, invocation, system, verbose);
}


