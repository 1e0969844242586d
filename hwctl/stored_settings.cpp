#include "hwctl/stored_settings.h"

#include "base/date_time.h"
#include "configuration/validation.h"
#include "settings/settings_loader.h"

namespace {

// Reads the user's key, which the caller has found among the subkeys.
StoredUser ReadUserKey(RegistryAccess& registry, const std::string& name) {
  StoredUser user;
  user.name = name;
  if (!registry.OpenKeyReadOnly(UserKeyPath(name))) return user;
  user.readable = true;
  static_cast<UserValues&>(user) = ReadUserValues(registry);
  registry.CloseKey();
  return user;
}

// The subkey names of the restrictions key; nothing when it cannot be read.
std::optional<StringList> UserKeyNames(RegistryAccess& registry) {
  if (!registry.OpenKeyReadOnly(kRestrictionsKey)) return std::nullopt;
  StringList names;
  registry.GetKeyNames(names);
  registry.CloseKey();
  return names;
}

}  // namespace

std::string DisplayKey(const std::string& path) {
  std::string display = "HKLM" + path;
  if (display.back() == '\\') display.pop_back();
  return display;
}

bool EndSessionLocks(const StoredProduct& product) {
  return product.endSession.present && product.endSession.typeError.empty() &&
         SameText(product.endSession.text, kEndSessionLock);
}

StoredConfiguration ReadStoredConfiguration(RegistryAccess& registry) {
  StoredConfiguration configuration;
  StoredProduct& product = configuration.product;
  product.keyExists = registry.KeyExists(kProductKey);
  if (product.keyExists && registry.OpenKeyReadOnly(kProductKey)) {
    product.readable = true;
    product.debug = FindNumber(registry, "Debug");
    product.path = FindText(registry, "Path");
    product.readSettings = FindNumber(registry, "ReadSettings");
    product.timeUrl = FindText(registry, "TimeUrl");
    product.serviceLogoff = FindNumber(registry, kServiceLogoffValue);
    product.timeZone = FindText(registry, kTimeZoneValue);
    product.countLockedSessions = FindNumber(registry, kCountLockedSessionsValue);
    product.endSession = FindText(registry, kEndSessionValue);
    product.graceMinutes = FindNumber(registry, kGraceMinutesValue);
    registry.CloseKey();
  }
  configuration.restrictionsKeyExists = registry.KeyExists(kRestrictionsKey);
  if (!configuration.restrictionsKeyExists) return configuration;
  const std::optional<StringList> names = UserKeyNames(registry);
  if (!names) return configuration;
  configuration.restrictionsReadable = true;
  for (const std::string& name : *names) configuration.users.push_back(ReadUserKey(registry, name));
  return configuration;
}

StoredText ReadStoredTimeZone(RegistryAccess& registry) {
  if (!registry.KeyExists(kProductKey) || !registry.OpenKeyReadOnly(kProductKey)) return {};
  StoredText found = FindText(registry, kTimeZoneValue);
  registry.CloseKey();
  return found;
}

std::optional<StoredUser> ReadStoredUser(RegistryAccess& registry, const std::string& name) {
  const std::optional<StringList> names = UserKeyNames(registry);
  if (!names) return std::nullopt;
  const int index = names->IndexOf(name);
  if (index < 0) return std::nullopt;
  return ReadUserKey(registry, (*names)[index]);
}

std::optional<std::string> FirstTypeError(const StoredUser& user) {
  for (const StoredText& day : user.days) {
    if (!day.present) break;
    if (!day.typeError.empty()) return day.typeError;
  }
  for (const std::string* error : {&user.day7.typeError, &user.dayLimit.typeError, &user.spentTime.typeError,
                                   &user.timeStamp.typeError, &user.logoff.typeError, &user.spentDays.typeError})
    if (!error->empty()) return *error;
  return std::nullopt;
}

std::optional<std::array<std::string, kDaysInWeek>> EffectiveFilters(const StoredUser& user) {
  const StringList filters = DayFiltersOf(user);
  std::array<std::string, kDaysInWeek> week;
  for (int day = 0; day < kDaysInWeek; ++day) week[day] = filters[day];
  return week;
}

std::optional<std::array<std::string, kDaysInWeek>> EffectiveLimits(const StoredUser& user) {
  const StringList limits = DayLimitsOf(user);
  std::array<std::string, kDaysInWeek> week;
  for (int day = 0; day < kDaysInWeek; ++day) week[day] = limits[day];
  return week;
}

std::vector<std::string> LedgerProblems(const StoredUser& user) {
  std::vector<std::string> problems;
  for (const std::string& line : ParseLedger(user.spentDays.Usable().value_or(std::vector<std::string>{})).badLines)
    problems.push_back("the line \"" + line + "\" is no dd.mm.yyyy=minutes of a date of its own");
  return problems;
}
