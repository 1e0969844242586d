#pragma once

#include <string>
#include <vector>

// What a change means, in the words of the person at the keyboard rather than the registry's.

// "no time", "45 min", "1 h", "1 h 30 min", or "no limit" for the whole day.
std::string AllowanceWords(int minutes);

// The week's allowances, Monday first, with days alike in a row told together: "Monday to
// Friday 1 h, Saturday and Sunday no limit".
std::string WeekAllowanceWords(const std::vector<int>& minutesPerDay);

// The named days (Monday 0 .. Sunday 6, in order): "every day", "Monday", "Saturday and Sunday",
// "Monday to Friday", "Monday, Wednesday and Friday".
std::string DaysWords(const std::vector<int>& days);
