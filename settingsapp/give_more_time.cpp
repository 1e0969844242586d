#include "settingsapp/give_more_time.h"

#include "configuration/more_time.h"
#include "configuration/validation.h"
#include "settings/settings_loader.h"
#include "settingsapp/write_plan.h"

GiveMoreTimeResult GiveMoreTime(RegistryAccess& registry, const std::string& account, double now,
                                const std::string& minutesText) {
  const Checked<int> minutes = GrantOfArgument(minutesText);
  if (!minutes.value) return {false, "More time: " + minutes.refusal + "."};
  try {
    if (!registry.OpenKeyReadOnly(UserKeyPath(account))) return {false, account + " is not limited: it needs no more time."};
    const UserValues values = ReadUserValues(registry);
    registry.CloseKey();
    const TimeGrant grant = PlanTimeGrant(values, now, *minutes.value);
    if (grant.nothingCounted) return {false, account + " has no minutes counted today: there is nothing to give back."};
    if (!registry.OpenKey(UserKeyPath(account)))
      return {false, "The minutes of " + account + " cannot be written: open this program as an administrator."};
    WriteTimeGrant(registry, grant);
    registry.CloseKey();
    RaiseReadSettings(registry);
    std::string text = account + " has " + std::to_string(grant.given) + " more minutes today";
    if (grant.given < *minutes.value) text += " (all " + std::to_string(grant.counted) + " counted today)";
    return {true, text + ". The service applies it within a minute."};
  } catch (const RegistryError& error) {
    registry.CloseKey();
    return {false, std::string("More time could not be given: ") + error.what() + "."};
  }
}
