#pragma once

#include <optional>
#include <string_view>

#include "base/date_time.h"

// The UTC date and time of an HTTP Date header in the form every server sends (IMF-fixdate),
// "Tue, 08 Dec 2026 17:18:19 GMT", blanks around it allowed. Nothing for any other form, and for
// a date or time of day that does not exist.
std::optional<DateTimeParts> ParseHttpDate(std::string_view header);
