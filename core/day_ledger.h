#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The ledger of days: per restricted user, the minutes counted on every date of the last 62 days,
// stored in the user's key as "SpentDays" (REG_MULTI_SZ, one "dd.mm.yyyy=N" line a date, written
// by the service only). It decides which date a minute counts on, so that moving the clock or the
// time zone to another date and back gains nothing:
// - a date in the ledger continues its own count (back from a trip to tomorrow, today's count is
//   there again; the real tomorrow continues the count spent on it);
// - a date after every date in the ledger starts at 0: a new day;
// - a date before the latest date and not in it starts nothing: its minutes go on the latest date.
// Dates are whole days since 1899-12-30, as the service's date-times count them.

// The value holding a user's ledger.
inline constexpr char kSpentDaysValue[] = "SpentDays";
// How many days up to the latest date in the ledger it keeps.
inline constexpr int32_t kLedgerDays = 62;

struct DayLedger {
  std::map<int32_t, int32_t> minutes;  // date -> minutes counted on it

  bool operator==(const DayLedger&) const = default;
};

// A ledger read from its lines, and the lines that are no "dd.mm.yyyy=N" of a real date and a
// count of 0 or more within 32 bits (each taken as absent), a second line of a date included.
struct LedgerReading {
  DayLedger ledger;
  std::vector<std::string> badLines;
};

// How the date of the clock is counted.
enum class CountedAs {
  kOwnDate,     // the date is in the ledger: its count goes on
  kNewDay,      // after every date in the ledger (or the ledger is empty): from 0
  kLatestDate,  // before the latest date and not in the ledger: on the latest date
};

// The date a minute counts on, and the minutes counted on it so far.
struct CountingDay {
  int32_t date = 0;
  int32_t minutes = 0;
  CountedAs as = CountedAs::kNewDay;
};

// The date of a "dd.mm.yyyy" text; nothing for any other text or a day that does not exist.
std::optional<int32_t> LedgerDate(std::string_view text);
// The "dd.mm.yyyy" of a date.
std::string LedgerDateText(int32_t date);
// The date of a date-time (days since 1899-12-30, local): the one its "dd.mm.yyyy" names.
int32_t LedgerDateOf(double dateTime);

// Reads the lines of a stored ledger. Of two lines of one date the larger count is kept.
LedgerReading ParseLedger(const std::vector<std::string>& lines);
// The ledger's lines, oldest date first.
std::vector<std::string> LedgerLines(const DayLedger& ledger);
// Drops every date more than 61 days before the latest one. Relative to the latest date, not to
// the clock's: a clock set back keeps every count, and a ledger that lost its latest date keeps
// the ones before it.
void PruneLedger(DayLedger& ledger);
// Puts the minutes on the date and prunes the ledger, keeping that date however far it lies before
// a latest date far ahead: the count being added to is never dropped.
void PutCount(DayLedger& ledger, int32_t date, int32_t minutes);
// Puts the count on its date: the current count ("SpentTime" with "TimeStamp") is newer than the
// ledger's line of its date. Nothing for a date text that is no date.
void TakeCount(DayLedger& ledger, std::string_view dateText, int32_t minutes);

// The date a minute on the date today counts on, by the rules above.
CountingDay DayToCount(const DayLedger& ledger, int32_t today);
// Lowers the count of the date by up to minutes, never below 0; returns the minutes taken off.
int32_t LowerCount(DayLedger& ledger, int32_t date, int32_t minutes);
