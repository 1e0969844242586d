#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "hwctl/configuration_check.h"
#include "hwctl/stored_settings.h"

// The texts hwctl shows: the restricted users today, one user's week, the check's findings. The
// date-time "now" is local, days since 1899-12-30.

// The rows laid out in left-aligned columns two spaces apart; the first row is the heading.
std::string FormatTable(const std::vector<std::vector<std::string>>& rows);

// Every restricted user with today's allowance, the minutes spent today and left, whether a
// restricted period holds now and when the next begins, and the logoff request; the zone line
// (the time zone the service keeps its days in) below the heading.
std::string ListReport(const StoredConfiguration& configuration, double now, const std::string& zoneLine);
// The user's week: the allowance and restricted periods of each weekday as the service reads
// them, the zone line below the heading; verbose names the user's key.
std::string ShowReport(const StoredUser& user, double now, const std::string& zoneLine, bool verbose = false);
// " (names)" for hwctl --verbose, which tells which registry values a line speaks of; else
// nothing.
std::string VerboseNames(bool verbose, const std::string& names);
// Whether the service ends sessions left open against the logoff request, in one line; verbose
// adds the value.
std::string ServiceLogoffLine(const StoredProduct& product, bool verbose = false);
// What happens to a held-back user's session, in one line; verbose adds the value.
std::string EndSessionLine(const StoredProduct& product, bool verbose = false);
// Whether the minutes of a locked or disconnected session count, in one line; verbose adds the
// value.
std::string CountLockedLine(const StoredProduct& product, bool verbose = false);
// One line per problem, "where: value: rule", and a closing count; then one line per warning,
// "warning: where: value: rule", which makes nothing a problem.
std::string CheckReport(const std::vector<Problem>& problems, const std::vector<Problem>& warnings = {});
