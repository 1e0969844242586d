#pragma once

#include <string>

#include "base/date_time.h"

// The machine's regional settings for showing dates and times: used for the process log's event
// times, the time-page comparison and the time separator of the debug log and the day filters.
class RegionalFormat {
 public:
  virtual ~RegionalFormat() = default;
  // The date in the system's short date format.
  virtual std::string ShortDate(const DateTimeParts& parts) const = 0;
  // The time of day in the system's long time format.
  virtual std::string LongTime(const DateTimeParts& parts) const = 0;
  // The system's time separator (":" under the usual settings).
  virtual std::string TimeSeparator() const = 0;
};
