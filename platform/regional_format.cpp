#include "platform/regional_format.h"

#include <cstdio>

std::string FormatGeneralDateTime(const RegionalFormat& format, double dateTime) {
  const DateTimeParts parts = DecodeDateTime(dateTime);
  std::string text = format.ShortDate(parts);
  if (parts.hour != 0 || parts.minute != 0 || parts.second != 0 || parts.millisecond != 0) {
    text += ' ';
    text += format.LongTime(parts);
  }
  return text;
}

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
