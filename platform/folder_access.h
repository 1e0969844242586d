#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/call_result.h"

// Who may write to a folder: the folder's access list as plain data, read by the platform.

// Access-mask bits of a folder and the generic rights, as Windows numbers them.
inline constexpr uint32_t kFolderAddFile = 0x0002;          // FILE_ADD_FILE
inline constexpr uint32_t kFolderAddSubfolder = 0x0004;     // FILE_ADD_SUBDIRECTORY
inline constexpr uint32_t kFolderDeleteChild = 0x0040;      // FILE_DELETE_CHILD
inline constexpr uint32_t kWriteDac = 0x00040000;           // WRITE_DAC
inline constexpr uint32_t kWriteOwner = 0x00080000;         // WRITE_OWNER
inline constexpr uint32_t kGenericAll = 0x10000000;         // GENERIC_ALL
inline constexpr uint32_t kGenericWrite = 0x40000000;       // GENERIC_WRITE

// The well-known groups every standard user belongs to, by SID.
inline constexpr char kUsersSid[] = "S-1-5-32-545";
inline constexpr char kAuthenticatedUsersSid[] = "S-1-5-11";
inline constexpr char kEveryoneSid[] = "S-1-1-0";
inline constexpr char kInteractiveSid[] = "S-1-5-4";
// The well-known accounts that keep a folder, a file or a key from the others, by SID.
inline constexpr char kLocalSystemSid[] = "S-1-5-18";
inline constexpr char kAdministratorsSid[] = "S-1-5-32-544";

// One allow or deny entry of an access list.
struct AccessEntry {
  bool allows = true;
  bool inheritOnly = false;  // applies only to what is created inside, not to the folder itself
  std::string trustee;       // the SID as text, "S-1-5-32-545"
  uint32_t mask = 0;
};

// What is at a folder's path, and the folder's access list.
struct FolderAccessList {
  enum class Kind { kFolder, kNotFound, kNotAFolder };
  Kind kind = Kind::kFolder;
  bool noList = false;  // the folder has no access list at all: everyone may do everything
  std::vector<AccessEntry> entries;  // for kFolder
};

// Reads folders' access lists from the platform, and makes the log folder.
class FolderAccessSource {
 public:
  virtual ~FolderAccessSource() = default;
  // The access list of the folder, given with or without a trailing backslash.
  virtual CallResult<FolderAccessList> Read(const std::string& folder) const = 0;
  // Creates the folder (and any missing folders above it, with the access they inherit) with an
  // access list of its own that lets LocalSystem and the Administrators do everything, in it and
  // in all it will hold, and no one else anything: nothing is inherited from above.
  virtual CallResult<> CreateAdminOnlyFolder(const std::string& folder) const = 0;
};
