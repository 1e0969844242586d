#pragma once

#include <string>

#include "platform/regional_format.h"

// Fixed day.month.year dates and 24-hour times with ":" (dd.mm.yyyy hh:nn:ss): the formats of
// the portable build and of the tests.
class FixedRegionalFormat : public RegionalFormat {
 public:
  std::string ShortDate(const DateTimeParts& parts) const override;
  std::string LongTime(const DateTimeParts& parts) const override;
  std::string TimeSeparator() const override { return ":"; }
};
