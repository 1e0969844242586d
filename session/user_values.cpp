#include "session/user_values.h"

#include "parentcode/code_guard.h"
#include "parentcode/code_values.h"
#include "settings/settings_loader.h"
#include "settings/value_reads.h"

std::optional<SessionUserValues> ReadSessionUserValues(RegistryAccess& registry, const std::string& userName) {
  if (!registry.OpenKeyReadOnly(UserKeyPath(userName))) return std::nullopt;
  SessionUserValues values;
  values.user = ReadUserValues(registry);
  values.codeMaxMinutes = FindNumber(registry, kCodeMaxMinutesValue).Usable().value_or(kDefaultCodeMaxMinutes);
  const bool earlier = registry.ValueExists(kEarlierLastStepValue);
  const std::optional<int32_t> codeMinutes = FindNumber(registry, kCodeMinutesValue).Usable();
  values.codeGiven = StoredMinutesGiven(FindNumber(registry, kCodeGivenValue).Usable(), codeMinutes, earlier);
  values.codeDate = FindText(registry, kCodeDateValue).Usable().value_or("");
  registry.CloseKey();
  std::optional<int32_t> userSetting = UserCodeMinutesSetting(codeMinutes, earlier);
  std::optional<int32_t> productSetting;
  if (registry.OpenKeyReadOnly(kProductKey)) {
    if (!userSetting) productSetting = FindNumber(registry, kCodeMinutesValue).Usable();
    values.endSessionLock = SameText(FindText(registry, kEndSessionValue).Usable().value_or(""), kEndSessionLock);
    registry.CloseKey();
  }
  values.codeMinutes = CodeMinutesSetting(userSetting, productSetting);
  return values;
}
