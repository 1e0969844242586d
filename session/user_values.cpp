#include "session/user_values.h"

#include "parentcode/code_guard.h"
#include "parentcode/code_values.h"
#include "settings/settings_loader.h"
#include "settings/stored_formats.h"

namespace {

// A value of the wrong type counts as missing here, so that it cannot hide the other values (the
// logoff request above all).
std::optional<std::string> ReadStringIfPresent(RegistryAccess& registry, const std::string& name) {
  try {
    if (registry.ValueExists(name)) return registry.ReadString(name);
  } catch (const RegistryError&) {
  }
  return std::nullopt;
}

std::optional<int32_t> ReadIntegerIfPresent(RegistryAccess& registry, const std::string& name) {
  try {
    if (registry.ValueExists(name)) return registry.ReadInteger(name);
  } catch (const RegistryError&) {
  }
  return std::nullopt;
}

}  // namespace

std::optional<StoredUserValues> ReadStoredUserValues(RegistryAccess& registry, const std::string& userName) {
  if (!registry.OpenKeyReadOnly(UserKeyPath(userName))) return std::nullopt;
  StoredUserValues values;
  // The service's gap rule: the first missing filter ends the week's list.
  for (int day = 0;; ++day) {
    std::optional<std::string> filter = ReadStringIfPresent(registry, DayValueName(day));
    if (!filter) break;
    values.dayFilters.Add(std::move(*filter));
  }
  while (values.dayFilters.Count() < kDaysInWeek) values.dayFilters.Add("");
  values.dayLimit = ReadStringIfPresent(registry, "DayLimit");
  values.spentTime = ReadIntegerIfPresent(registry, "SpentTime");
  values.timeStamp = ReadStringIfPresent(registry, "TimeStamp");
  values.logoff = ReadIntegerIfPresent(registry, "Logoff").value_or(0);
  values.codeMaxMinutes = ReadIntegerIfPresent(registry, kCodeMaxMinutesValue).value_or(kDefaultCodeMaxMinutes);
  const bool earlier = registry.ValueExists(kEarlierLastStepValue);
  const std::optional<int32_t> codeMinutes = ReadIntegerIfPresent(registry, kCodeMinutesValue);
  values.codeGiven = StoredMinutesGiven(ReadIntegerIfPresent(registry, kCodeGivenValue), codeMinutes, earlier);
  values.codeDate = ReadStringIfPresent(registry, kCodeDateValue).value_or("");
  registry.CloseKey();
  std::optional<int32_t> userSetting = UserCodeMinutesSetting(codeMinutes, earlier);
  std::optional<int32_t> productSetting;
  if (!userSetting && registry.OpenKeyReadOnly(kProductKey)) {
    productSetting = ReadIntegerIfPresent(registry, kCodeMinutesValue);
    registry.CloseKey();
  }
  values.codeMinutes = CodeMinutesSetting(userSetting, productSetting);
  return values;
}
