#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/folder_access.h"
#include "hwctl/stored_settings.h"

// The values of a stored configuration that the service would misread, each with what it would
// make of them.

struct Problem {
  std::string where;  // the user, or "Hourwarden" for the product key
  std::string value;  // the value, "Day2 (Wednesday)", "Path", ...
  std::string rule;   // what is wrong and what the service makes of it

  bool operator==(const Problem&) const = default;
};

// What "where" holds for the values of the product key.
inline constexpr char kProductWhere[] = "Hourwarden";

// The problems of one user's key: an unreadable key, values of the wrong type, day filters and
// allowances the service misreads, a gap in Day0..Day6, a Day7, a TimeStamp that is no date.
std::vector<Problem> FindUserProblems(const StoredUser& user);
// Every problem of the configuration: the product key's values (Path with the folder's access
// list), then every user's.
std::vector<Problem> FindProblems(const StoredConfiguration& configuration, const FolderAccessSource& folders);
