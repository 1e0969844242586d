#include "configuration/more_time.h"

TimeGrant PlanTimeGrant(const UserValues& values, double now, int32_t minutes) {
  TimeGrant grant;
  // The count the service is adding to now, lowered on its date in SpentTime and in the ledger.
  DayLedger ledger = LedgerOf(values, now).ledger;
  const CountingDay day = DayToCount(ledger, LedgerDateOf(now));
  grant.date = day.date;
  grant.counted = day.minutes;
  if (day.minutes <= 0) {
    grant.nothingCounted = true;
    return grant;
  }
  grant.given = LowerCount(ledger, day.date, minutes);
  grant.left = ledger.minutes[day.date];
  PutCount(ledger, day.date, grant.left);
  grant.ledgerLines = LedgerLines(ledger);
  return grant;
}

void WriteTimeGrant(RegistryAccess& registry, const TimeGrant& grant) {
  registry.WriteInteger("SpentTime", grant.left);
  registry.WriteString("TimeStamp", LedgerDateText(grant.date));
  registry.WriteMultiString(kSpentDaysValue, grant.ledgerLines);
}
