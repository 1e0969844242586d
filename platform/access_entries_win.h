#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "platform/folder_access.h"

// Appends the allow and deny entries of the access list, in their order, with each trustee's SID
// as text; object and callback entries, which name no plain trustee, are left out. The failing
// call and its error when an entry cannot be read, else nothing.
std::optional<std::string> ReadAccessEntries(ACL& list, std::vector<AccessEntry>& entries);
