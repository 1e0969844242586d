#include "hwctl/stored_settings.h"

#include "hwctl/validation.h"
#include "platform/date_time.h"
#include "settings/settings_loader.h"

namespace {

StoredText ReadText(RegistryAccess& registry, const std::string& name) {
  StoredText found;
  if (!registry.ValueExists(name)) return found;
  found.present = true;
  try {
    found.text = registry.ReadString(name);
  } catch (const RegistryError& error) {
    found.typeError = error.what();
  }
  return found;
}

StoredNumber ReadNumber(RegistryAccess& registry, const std::string& name) {
  StoredNumber found;
  if (!registry.ValueExists(name)) return found;
  found.present = true;
  try {
    found.number = registry.ReadInteger(name);
  } catch (const RegistryError& error) {
    found.typeError = error.what();
  }
  return found;
}

// Reads the user's key, which the caller has found among the subkeys.
StoredUser ReadUserKey(RegistryAccess& registry, const std::string& name) {
  StoredUser user;
  user.name = name;
  if (!registry.OpenKeyReadOnly(UserKeyPath(name))) return user;
  user.readable = true;
  for (int day = 0; day < kDaysInWeek; ++day) user.days[day] = ReadText(registry, DayValueName(day));
  user.day7 = ReadText(registry, DayValueName(kDaysInWeek));
  user.dayLimit = ReadText(registry, "DayLimit");
  user.spentTime = ReadNumber(registry, "SpentTime");
  user.timeStamp = ReadText(registry, "TimeStamp");
  user.logoff = ReadNumber(registry, "Logoff");
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

StoredConfiguration ReadStoredConfiguration(RegistryAccess& registry) {
  StoredConfiguration configuration;
  StoredProduct& product = configuration.product;
  product.keyExists = registry.KeyExists(kProductKey);
  if (product.keyExists && registry.OpenKeyReadOnly(kProductKey)) {
    product.readable = true;
    product.debug = ReadNumber(registry, "Debug");
    product.path = ReadText(registry, "Path");
    product.readSettings = ReadNumber(registry, "ReadSettings");
    product.timeUrl = ReadText(registry, "TimeUrl");
    product.serviceLogoff = ReadNumber(registry, kServiceLogoffValue);
    product.timeZone = ReadText(registry, kTimeZoneValue);
    product.countLockedSessions = ReadNumber(registry, kCountLockedSessionsValue);
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
  StoredText found = ReadText(registry, kTimeZoneValue);
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
                                   &user.timeStamp.typeError, &user.logoff.typeError})
    if (!error->empty()) return *error;
  return std::nullopt;
}

std::optional<std::array<std::string, kDaysInWeek>> EffectiveFilters(const StoredUser& user) {
  std::array<std::string, kDaysInWeek> filters;
  for (int day = 0; day < kDaysInWeek; ++day) {
    const StoredText& value = user.days[day];
    // A missing day, and one of the wrong type, which the service takes as missing: this day and
    // every later one get the empty filter.
    if (!value.present || !value.typeError.empty()) break;
    filters[day] = value.text;
  }
  return filters;
}

std::optional<std::array<std::string, kDaysInWeek>> EffectiveLimits(const StoredUser& user) {
  const StringList numbers = SplitAtSpaces(user.dayLimit.text);
  std::array<std::string, kDaysInWeek> limits;
  for (int day = 0; day < kDaysInWeek; ++day) limits[day] = day < numbers.Count() ? numbers[day] : kWholeDayMinutes;
  return limits;
}

std::optional<int32_t> MinutesSpentOn(const StoredUser& user, const std::string& date) {
  // A value of the wrong type is taken as missing, as the service takes it: no date, no minutes.
  if (!user.timeStamp.present || !user.timeStamp.typeError.empty()) return 0;
  if (!user.spentTime.typeError.empty()) return 0;
  const std::optional<double> stamp = ParseStoredDate(user.timeStamp.text);
  const std::optional<double> day = ParseStoredDate(date);
  const bool laterDay = stamp && day && *stamp > *day;
  if (!user.timeStamp.text.empty() && user.timeStamp.text != date && !laterDay) return 0;
  return user.spentTime.present ? user.spentTime.number : 0;
}
