#include "session/user_values.h"

#include "parentcode/code_values.h"
#include "settings/settings_loader.h"
#include "settings/value_reads.h"

std::optional<SessionUserValues> ReadSessionUserValues(RegistryAccess& registry, const std::string& userName) {
  if (!registry.OpenKeyReadOnly(UserKeyPath(userName))) return std::nullopt;
  SessionUserValues values;
  values.user = ReadUserValues(registry);
  values.codeMaxMinutes = FindNumber(registry, kCodeMaxMinutesValue).Usable().value_or(kDefaultCodeMaxMinutes);
  values.codeMinutes = FindNumber(registry, kCodeMinutesValue).Usable().value_or(0);
  values.codeDate = FindText(registry, kCodeDateValue).Usable().value_or("");
  registry.CloseKey();
  return values;
}
