#include "hwctl/time_setting.h"

#include <cctype>

#include "base/case_folding.h"
#include "base/date_time.h"
#include "hwctl/reports.h"
#include "base/zone_name.h"
#include "core/zone_local_time.h"
#include "platform/time_zones.h"
#include "settings/settings_loader.h"
#include "settings/time_url.h"

namespace {

constexpr char kTimeZoneHint[] = "hwctl timezone current sets it to the computer's zone";

bool IsZoneOfThisComputer(const ConfigSession& session, const std::string& name) {
  if (ZoneNameProblem(name) || session.Zones() == nullptr) return false;
  return session.Zones()->LocalTime(name, DecodeDateTime(session.Clocks().UtcNow())).Ok();
}

std::string ComputerZoneText(const ZoneReading& zone) {
  return zone.computerZone.empty() ? "the computer's zone" : "the computer's zone (" + zone.computerZone + ")";
}

[[noreturn]] void Refuse(const std::string& what) { throw CommandError("refused: " + what + "; nothing was written"); }

}  // namespace

ZoneReading ReadZone(const ConfigSession& session) {
  ZoneReading zone;
  zone.stored = session.StoredTimeZone();
  if (session.Zones() != nullptr) zone.computerZone = session.Zones()->SystemZoneKey();
  zone.known = zone.stored.typeError.empty() && !zone.stored.text.empty() && IsZoneOfThisComputer(session, zone.stored.text);
  return zone;
}

std::string ZoneLine(const ZoneReading& zone, bool verbose) {
  if (zone.known) return "Time zone: " + zone.stored.text + VerboseNames(verbose, kTimeZoneValue) + "\n";
  const std::string computers = zone.computerZone.empty() ? "the computer's" : "the computer's (" + zone.computerZone + ")";
  return "Time zone: " + computers + ", which users may change; hwctl timezone current fixes it\n";
}

std::vector<Problem> ZoneProblems(const ZoneReading& zone) {
  if (!zone.stored.typeError.empty() || zone.stored.text.empty() || zone.known) return {};
  return {{kProductWhere, kTimeZoneValue,
           "\"" + zone.stored.text + "\" is not a time zone of this computer: the service uses " + ComputerZoneText(zone) +
               " (tzutil /l lists the zones)"}};
}

std::vector<Problem> TimeWarnings(const StoredProduct& product, const ZoneReading& zone) {
  std::vector<Problem> warnings;
  const bool set = zone.stored.present && zone.stored.typeError.empty() && !zone.stored.text.empty();
  if (!set)
    warnings.push_back({kProductWhere, kTimeZoneValue,
                        "not set: the service keeps its days and restricted periods in " + ComputerZoneText(zone) +
                            ", which standard users may change to reach another day; " + kTimeZoneHint});
  else if (zone.known && !zone.computerZone.empty() && !SameText(zone.stored.text, zone.computerZone))
    warnings.push_back({kProductWhere, kTimeZoneValue,
                        zone.stored.text + " is not the computer's zone (" + zone.computerZone +
                            "): the days and restricted periods follow " + zone.stored.text +
                            ", the clock on the screen does not"});

  const std::string url = product.timeUrl.typeError.empty() ? product.timeUrl.text : "";
  if (TimeSourcesOf(url).trustClock)
    warnings.push_back({kProductWhere, kTimeUrlValue,
                        "none: the service trusts the computer's clock without asking any site, so whoever can set "
                        "the firmware's clock (or start the PC from another system) can move the days; standard "
                        "users cannot set the clock in Windows"});
  for (const std::string& plain : PlainHttpTimeUrls(url))
    warnings.push_back({kProductWhere, kTimeUrlValue,
                        "the time comes over plain HTTP (" + plain +
                            "), so a network a child controls, such as a phone's hotspot, can set the date; an "
                            "https:// address is the hardened setting: hwctl timeurl https://..."});
  return warnings;
}

std::string SetTimeZone(ConfigSession& session, const std::string& argument) {
  std::string name = argument;
  if (argument == "none") {
    name.clear();
  } else if (argument == "current") {
    name = session.Zones() != nullptr ? session.Zones()->SystemZoneKey() : "";
    if (name.empty()) Refuse("time zone: the computer's zone cannot be read");
  }
  if (!name.empty() && !IsZoneOfThisComputer(session, name))
    Refuse("time zone: \"" + name + "\" is not a time zone of this computer (tzutil /l lists the zones by the names to give)");
  session.OpenForWriting(kProductKey);
  session.registry.WriteString(kTimeZoneValue, name);
  session.registry.CloseKey();
  session.RequestReload();
  if (name.empty())
    return "The service now keeps its days and restricted periods in the computer's zone, which standard users may "
           "change.\nThe service applies it at its next minute.\n";
  const double now = LocalNowIn(session.Clocks(), session.Zones(), name);
  return "The service now keeps its days and restricted periods in " + name + " (there it is now " +
         FormatStoredDate(now) + " " + FormatTimeOfDay(now, ":") + ").\nThe service applies it at its next minute.\n";
}
