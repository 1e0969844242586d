#include "core/general_date_time.h"

std::string FormatGeneralDateTime(const RegionalFormat& format, double dateTime) {
  const DateTimeParts parts = DecodeDateTime(dateTime);
  std::string text = format.ShortDate(parts);
  if (parts.hour != 0 || parts.minute != 0 || parts.second != 0 || parts.millisecond != 0) {
    text += ' ';
    text += format.LongTime(parts);
  }
  return text;
}
