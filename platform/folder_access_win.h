#pragma once

#include "platform/folder_access.h"

// The security descriptor of a folder made by CreateAdminOnlyFolder, in the system's descriptor
// language. D:P: an access list protected from what is inherited from above; each entry (A;OICI;FA)
// allows everything (FILE_ALL_ACCESS), inherited by the files (OI) and folders (CI) inside;
// SY: LocalSystem; BA: the Administrators group.
inline constexpr char kAdminOnlyFolderSddl[] = "D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)";

// Folders' access lists from the Windows file system.
class WindowsFolderAccessSource : public FolderAccessSource {
 public:
  CallResult<FolderAccessList> Read(const std::string& folder) const override;
  CallResult<> CreateAdminOnlyFolder(const std::string& folder) const override;
};
