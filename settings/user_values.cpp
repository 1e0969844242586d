#include "settings/user_values.h"

#include "base/date_time.h"

UserValues ReadUserValues(RegistryAccess& registry) {
  UserValues values;
  for (int day = 0; day < kDaysInWeek; ++day) values.days[day] = FindText(registry, DayValueName(day));
  values.day7 = FindText(registry, DayValueName(kDaysInWeek));
  values.dayLimit = FindText(registry, "DayLimit");
  values.spentTime = FindNumber(registry, "SpentTime");
  // No day has fewer than no minutes: a count below 0 (a REG_DWORD over 0x7FFFFFFF) would give
  // minutes beyond the allowance, and no ledger line can hold it.
  if (values.spentTime.number < 0) values.spentTime.number = 0;
  values.timeStamp = FindText(registry, "TimeStamp");
  values.logoff = FindNumber(registry, "Logoff");
  values.spentDays = FindStrings(registry, kSpentDaysValue);
  return values;
}

int DaysBeforeGap(const UserValues& values) {
  int day = 0;
  while (day < kDaysInWeek && values.days[day].Usable()) ++day;
  if (day == kDaysInWeek && values.day7.Usable()) ++day;
  return day;
}

StringList DayFiltersOf(const UserValues& values) {
  StringList filters;
  const int read = DaysBeforeGap(values);
  for (int day = 0; day < read; ++day) filters.Add(day < kDaysInWeek ? values.days[day].text : values.day7.text);
  while (filters.Count() < kDaysInWeek) filters.Add("");
  return filters;
}

StringList DayLimitsOf(const UserValues& values) {
  StringList limits = SplitAtSpaces(values.dayLimit.Usable().value_or(""));
  while (limits.Count() < kDaysInWeek) limits.Add(kWholeDayMinutes);
  return limits;
}

int32_t LogoffOf(const UserValues& values) { return values.logoff.Usable().value_or(0); }

LedgerReading LedgerOf(const UserValues& values, double emptyStampMeans) {
  LedgerReading reading = ParseLedger(values.spentDays.Usable().value_or(std::vector<std::string>{}));
  const std::optional<std::string> stamp = values.timeStamp.Usable();
  if (!stamp) return reading;
  const std::string date = stamp->empty() ? FormatStoredDate(emptyStampMeans) : *stamp;
  if (const std::optional<int32_t> spent = values.spentTime.Usable())
    TakeCount(reading.ledger, date, *spent);
  else if (const std::optional<int32_t> day = LedgerDate(date))
    reading.ledger.minutes.emplace(*day, 0);  // the ledger's count of the date stands, else none
  return reading;
}

CountingDay CountingDayOf(const UserValues& values, double today) {
  return DayToCount(LedgerOf(values, today).ledger, LedgerDateOf(today));
}

std::optional<int32_t> AllowanceOn(const UserValues& values, int32_t date) {
  return ParseDecimal32(DayLimitsOf(values)[WeekdayIndex(date)]);
}
