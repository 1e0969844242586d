#include "hwctl/configuration_check.h"

#include "configuration/validation.h"
#include "engine/save_grace.h"
#include "base/date_time.h"
#include "settings/settings_loader.h"

namespace {

// What the service makes of a value of the wrong type: it takes it as missing.
constexpr char kDayTakenAsMissing[] =
    "the service takes it as missing, so this day and the days after it have no restricted period";
constexpr char kLimitTakenAsMissing[] = "the service takes it as missing, so every day allows the whole day";
constexpr char kSpentTakenAsMissing[] =
    "the service takes it as missing, so the day's minutes come from SpentDays or are counted from 0 again";

// The reason in a registry type error, without the value and key it names first.
std::string TypeReason(const std::string& message) {
  const size_t colon = message.rfind(": ");
  return colon == std::string::npos ? message : message.substr(colon + 2);
}

void AddTypeProblem(std::vector<Problem>& problems, const std::string& where, const std::string& value,
                    const std::string& typeError, const std::string& consequence) {
  if (!typeError.empty()) problems.push_back({where, value, TypeReason(typeError) + ": " + consequence});
}

bool IsStoredDate(const std::string& text) {
  if (text.size() != 10 || text[2] != '.' || text[5] != '.') return false;
  for (const size_t i : {0u, 1u, 3u, 4u, 6u, 7u, 8u, 9u})
    if (text[i] < '0' || text[i] > '9') return false;
  return IsValidDate(std::stoi(text.substr(6, 4)), std::stoi(text.substr(3, 2)), std::stoi(text.substr(0, 2)));
}

void AddDayProblems(std::vector<Problem>& problems, const StoredUser& user) {
  int firstMissing = -1;
  for (int day = 0; day < kDaysInWeek; ++day) {
    const StoredText& value = user.days[day];
    if (!value.present) {
      if (firstMissing < 0) firstMissing = day;
      continue;
    }
    AddTypeProblem(problems, user.name, DayValueLabel(day), value.typeError, kDayTakenAsMissing);
    if (!value.typeError.empty()) continue;
    for (const std::string& problem : DayFilterProblems(value.text))
      problems.push_back({user.name, DayValueLabel(day), "\"" + value.text + "\": " + problem});
  }
  if (firstMissing >= 0) {
    std::string ignored;
    for (int day = firstMissing + 1; day < kDaysInWeek; ++day)
      if (user.days[day].present) ignored += (ignored.empty() ? "" : ", ") + DayValueName(day);
    if (!ignored.empty())
      problems.push_back({user.name, DayValueLabel(firstMissing),
                          "missing, so the service reads no later day and never applies " + ignored +
                              ": those days have no restricted period"});
  }
  if (user.day7.present) {
    if (firstMissing < 0) AddTypeProblem(problems, user.name, "Day7", user.day7.typeError, "no weekday uses it");
    problems.push_back({user.name, "Day7", "no weekday uses it: Monday to Sunday are Day0 to Day6"});
  }
}

}  // namespace

std::vector<Problem> FindUserProblems(const StoredUser& user) {
  std::vector<Problem> problems;
  if (!user.readable) {
    problems.push_back({user.name, "(key)", "cannot be read: the user's periods and allowances are not applied"});
    return problems;
  }
  AddDayProblems(problems, user);
  AddTypeProblem(problems, user.name, "DayLimit", user.dayLimit.typeError, kLimitTakenAsMissing);
  if (user.dayLimit.present && user.dayLimit.typeError.empty())
    for (const std::string& problem : DayLimitProblems(user.dayLimit.text))
      problems.push_back({user.name, "DayLimit", "\"" + user.dayLimit.text + "\": " + problem});
  AddTypeProblem(problems, user.name, "SpentTime", user.spentTime.typeError, kSpentTakenAsMissing);
  AddTypeProblem(problems, user.name, "TimeStamp", user.timeStamp.typeError, kSpentTakenAsMissing);
  if (user.timeStamp.present && user.timeStamp.typeError.empty() && !user.timeStamp.text.empty() &&
      !IsStoredDate(user.timeStamp.text))
    problems.push_back({user.name, "TimeStamp",
                        "\"" + user.timeStamp.text + "\" is not a date dd.mm.yyyy: the minutes are counted from 0 again"});
  AddTypeProblem(problems, user.name, "Logoff", user.logoff.typeError,
                 "the service takes it as no logoff request");
  AddTypeProblem(problems, user.name, kSpentDaysValue, user.spentDays.typeError,
                 "the service takes it as missing: only the count of TimeStamp's date is kept");
  for (const std::string& problem : LedgerProblems(user))
    problems.push_back({user.name, kSpentDaysValue, problem + ": the service takes it as missing"});
  return problems;
}

std::vector<Problem> FindProblems(const StoredConfiguration& configuration, const FolderAccessSource& folders) {
  std::vector<Problem> problems;
  const StoredProduct& product = configuration.product;
  if (product.keyExists && !product.readable)
    problems.push_back({kProductWhere, "(key)", "cannot be read: the debug level and Path are not applied"});
  AddTypeProblem(problems, kProductWhere, "Debug", product.debug.typeError,
                 "the service takes it as missing: debug level 2");
  if (!product.path.present) {
    // A fresh install, with no product key yet, is not a problem: nothing is configured.
    if (product.readable)
      problems.push_back({kProductWhere, "Path", "missing: the logs are written to the service's current folder"});
  } else if (!product.path.typeError.empty()) {
    AddTypeProblem(problems, kProductWhere, "Path", product.path.typeError,
                   "the service takes it as missing: the logs are written to the service's current folder");
  } else {
    const std::vector<std::string> pathProblems = PathProblems(product.path.text);
    for (const std::string& problem : pathProblems) problems.push_back({kProductWhere, "Path", problem});
    if (pathProblems.empty())
      if (const std::optional<std::string> problem = LogFolderProblem(product.path.text, folders))
        problems.push_back({kProductWhere, "Path", *problem});
  }
  AddTypeProblem(problems, kProductWhere, "ReadSettings", product.readSettings.typeError,
                 "the service takes it as no reload request and resets it");
  AddTypeProblem(problems, kProductWhere, kServiceLogoffValue, product.serviceLogoff.typeError,
                 "the service takes it as missing and ends sessions itself");
  if (!ServiceEndsSessions(product))
    problems.push_back({kProductWhere, kServiceLogoffValue,
                        "0: the service never ends a session itself, so a user who ends the session tool or "
                        "cancels the sign-out stays logged on (hwctl servicelogoff on)"});
  AddTypeProblem(problems, kProductWhere, kCountLockedSessionsValue, product.countLockedSessions.typeError,
                 "the service takes it as missing and counts the minutes of locked sessions");
  AddTypeProblem(problems, kProductWhere, kEndSessionValue, product.endSession.typeError,
                 "the service takes it as missing and logs sessions off");
  if (product.endSession.present && product.endSession.typeError.empty() && !product.endSession.text.empty() &&
      !SameText(product.endSession.text, kEndSessionLock) && !SameText(product.endSession.text, kEndSessionLogoff))
    problems.push_back({kProductWhere, kEndSessionValue,
                        "\"" + product.endSession.text + "\" is neither lock nor logoff: the service logs sessions "
                        "off (hwctl endsession lock|logoff)"});
  AddTypeProblem(problems, kProductWhere, kGraceMinutesValue, product.graceMinutes.typeError,
                 "the service takes it as missing: 5 minutes to save the work");
  if (const std::optional<int32_t> grace = product.graceMinutes.Usable(); grace && (*grace < 0 || *grace > kMaxGraceMinutes))
    problems.push_back({kProductWhere, kGraceMinutesValue,
                        std::to_string(*grace) + " is not 0 to " + std::to_string(kMaxGraceMinutes) + ": the service gives " +
                            (*grace < 0 ? "none" : std::to_string(kMaxGraceMinutes))});
  AddTypeProblem(problems, kProductWhere, "TimeUrl", product.timeUrl.typeError,
                 "the service takes it as missing and asks its built-in https:// addresses");
  AddTypeProblem(problems, kProductWhere, "TimeZone", product.timeZone.typeError,
                 "the service takes it as missing and keeps its days in the computer's zone");
  if (product.timeUrl.present && product.timeUrl.typeError.empty() && !product.timeUrl.text.empty())
    if (const std::optional<std::string> problem = TimeUrlProblem(product.timeUrl.text))
      problems.push_back({kProductWhere, "TimeUrl", *problem + ": no time check gets an answer from it"});
  if (configuration.restrictionsKeyExists && !configuration.restrictionsReadable)
    problems.push_back({kProductWhere, "Time_restrictions", "cannot be read: no user is restricted"});
  for (const StoredUser& user : configuration.users) {
    const std::vector<Problem> userProblems = FindUserProblems(user);
    problems.insert(problems.end(), userProblems.begin(), userProblems.end());
  }
  return problems;
}
