#pragma once

#include <string>

#include "platform/regional_format.h"

// The general date-time form: short date, a blank and the long time; at exactly 00:00:00 the
// blank and the time are left out.
std::string FormatGeneralDateTime(const RegionalFormat& format, double dateTime);
