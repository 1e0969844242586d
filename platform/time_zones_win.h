#pragma once

#include <memory>
#include <mutex>

#include "platform/time_zones.h"

// The machine's zones through GetTimeZoneInformationForYear (the zone named by its key) and
// SystemTimeToTzSpecificLocalTime. The rules of the last zone and year asked for are kept, since
// every line of the debug log asks for the time.
class WindowsTimeZones : public TimeZones {
 public:
  WindowsTimeZones();
  ~WindowsTimeZones() override;
  CallResult<DateTimeParts> LocalTime(const std::string& zoneKey, const DateTimeParts& utc) const override;
  std::string SystemZoneKey() const override;

 private:
  struct KeptRules;
  mutable std::mutex mutex_;  // the debug log is written from more than one thread
  mutable std::unique_ptr<KeptRules> kept_;
};
