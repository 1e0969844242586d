#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "base/string_list.h"

// The rules of the texts stored in the registry, shared by the service, the session tool and the
// configuration tool so that all of them read a value the same way.

// Days of the week every filter and allowance list covers, Monday first.
inline constexpr int kDaysInWeek = 7;
// The allowance of a day with none given: the whole day, in minutes.
inline constexpr char kWholeDayMinutes[] = "1440";

// The value holding the day filter of the weekday: "Day" and the index, no leading zero ("Day0"
// is Monday).
std::string DayValueName(int day);

// The pieces of a text between space characters; runs of spaces count as one separator and
// leading or trailing spaces produce nothing. No other character (a tab, say) separates.
StringList SplitAtSpaces(std::string_view text);

// The number of a plain decimal integer text (an optional minus sign and digits) that fits in 32
// bits; nothing for any other text, the empty one included.
std::optional<int32_t> ParseDecimal32(std::string_view text);
