#pragma once

#include "platform/regional_format.h"

// The system's regional settings of the account the process runs as.
class WindowsRegionalFormat : public RegionalFormat {
 public:
  std::string ShortDate(const DateTimeParts& parts) const override;
  std::string LongTime(const DateTimeParts& parts) const override;
  std::string TimeSeparator() const override;
};
