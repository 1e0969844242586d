#pragma once

#include "platform/folder_access.h"

// Folders' access lists from the Windows file system.
class WindowsFolderAccessSource : public FolderAccessSource {
 public:
  FolderAccessList Read(const std::string& folder) const override;
};
