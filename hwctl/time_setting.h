#pragma once

#include <string>
#include <vector>

#include "hwctl/config_writes.h"
#include "hwctl/configuration_check.h"
#include "hwctl/stored_settings.h"

// The settings that decide whose clock the service believes: the administrator's time zone
// (TimeZone) and the time page (TimeUrl), with what hwctl shows and warns about them.

// TimeZone as hwctl finds it, against the zones of this computer.
struct ZoneReading {
  StoredText stored;         // the value as found
  bool known = false;        // it names a zone of this computer
  std::string computerZone;  // the computer's own zone, empty when it cannot be read
};

// Judges the stored value with the computer's zones.
ZoneReading ReadZone(const ConfigSession& session);
// "Time zone: ..." for list and show: the zone the service keeps its days in, and whose it is;
// verbose adds the value.
std::string ZoneLine(const ZoneReading& zone, bool verbose = false);
// What the service would misread: a TimeZone that names no zone of this computer.
std::vector<Problem> ZoneProblems(const ZoneReading& zone);
// What a child could use: no TimeZone (the computer's zone, which standard users may change), a
// TimeZone that is not the computer's zone (the screen's clock shows other hours), each time page
// fetched over plain HTTP, a TimeUrl of none (the computer's clock trusted as it is).
std::vector<Problem> TimeWarnings(const StoredProduct& product, const ZoneReading& zone);

// timezone NAME|current|none: the zone's key name as Windows lists them, the computer's zone as
// it is now, or the empty value (the computer's zone, whatever it becomes). Refused: a name that
// is not a zone of this computer.
std::string SetTimeZone(ConfigSession& session, const std::string& argument);
