#include "core/day_ledger.h"

#include <gtest/gtest.h>

namespace {

using Lines = std::vector<std::string>;

// Which date a minute counts on is tabled through the service's accounting (usage_accounting_test).
TEST(DayLedgerTest, LinesThatAreNoDateAndCountAreTakenAsAbsent) {
  for (const std::string line : {"", "07.12.2026", "07.12.2026=", "7.12.2026=5", "31.02.2027=5", "07.12.2026=-1",
                                 "07.12.2026=+1", "07.12.2026= 5", "07.12.2026=5=6", "07.12.2026=2147483648"}) {
    const LedgerReading reading = ParseLedger({line, "08.12.2026=3"});
    EXPECT_EQ(reading.badLines, Lines{line});
    EXPECT_EQ(LedgerLines(reading.ledger), Lines{"08.12.2026=3"}) << line;
  }
  // Of two lines of one date the larger count stays, and the second line is named.
  const LedgerReading twice = ParseLedger({"07.12.2026=61", "29.02.2028=0", "07.12.2026=5", "06.12.2026=2147483647"});
  EXPECT_EQ(twice.badLines, Lines{"07.12.2026=5"});
  EXPECT_EQ(LedgerLines(twice.ledger), (Lines{"06.12.2026=2147483647", "07.12.2026=61", "29.02.2028=0"}));
}

}  // namespace
