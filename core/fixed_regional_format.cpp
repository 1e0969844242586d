#include "core/fixed_regional_format.h"

#include <cstdio>

std::string FixedRegionalFormat::ShortDate(const DateTimeParts& p) const {
  char text[32];
  std::snprintf(text, sizeof text, "%02d.%02d.%04d", p.day, p.month, p.year);
  return text;
}

std::string FixedRegionalFormat::LongTime(const DateTimeParts& p) const {
  char text[32];
  std::snprintf(text, sizeof text, "%02d:%02d:%02d", p.hour, p.minute, p.second);
  return text;
}
