#pragma once

#include <optional>
#include <string>

#include "platform/folder_access.h"

// Whether standard users can put files in a folder: a log folder must be kept from them.

// What standard users may do to the folder that writes to it, naming the group that gives it
// ("Users (S-1-5-32-545) may create files"); nothing when only others may write there. The entries
// are taken in order, as Windows checks them, a deny keeping what a later allow would give.
std::optional<std::string> StandardUserWriteAccess(const FolderAccessList& list);
// The same for a list as read; nothing for one that could not be read.
std::optional<std::string> StandardUserWriteAccess(const CallResult<FolderAccessList>& read);
