#include "platform/folder_access_win.h"

#include <windows.h>
#include <aclapi.h>
#include <sddl.h>

#include <utility>

#include "platform/access_entries_win.h"
#include "platform/local_memory_win.h"
#include "platform/wide_text_win.h"
#include "platform/win_error.h"

static_assert(FILE_ADD_FILE == kFolderAddFile && FILE_ADD_SUBDIRECTORY == kFolderAddSubfolder);
static_assert(FILE_DELETE_CHILD == kFolderDeleteChild && WRITE_DAC == kWriteDac && WRITE_OWNER == kWriteOwner);
static_assert(GENERIC_ALL == kGenericAll && GENERIC_WRITE == kGenericWrite);

namespace {

// The folder as the file calls take it: without a trailing backslash, except for a drive root.
std::string FolderName(const std::string& folder) {
  std::string name = folder;
  if (name.size() > 3 && name.back() == '\\') name.pop_back();
  return name;
}

}  // namespace

CallResult<FolderAccessList> WindowsFolderAccessSource::Read(const std::string& folder) const {
  const std::string name = FolderName(folder);
  FolderAccessList list;
  const DWORD attributes = GetFileAttributesW(WideFromUtf8(name).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    const DWORD error = GetLastError();
    if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND) return WindowsCallFailure("GetFileAttributesW", error);
    list.kind = FolderAccessList::Kind::kNotFound;
    return list;
  }
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
    list.kind = FolderAccessList::Kind::kNotAFolder;
    return list;
  }

  PACL dacl = nullptr;
  LocalMemory descriptor;
  // Only the access list is asked for: reading it needs no more than READ_CONTROL.
  const DWORD result = GetNamedSecurityInfoW(WideFromUtf8(name).c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION,
                                             nullptr, nullptr, &dacl, nullptr, descriptor.Receive<void>());
  if (result != ERROR_SUCCESS) return WindowsCallFailure("GetNamedSecurityInfoW", result);
  if (dacl == nullptr) {  // a NULL access list grants everyone everything
    list.noList = true;
    return list;
  }
  if (const std::optional<std::string> failure = ReadAccessEntries(*dacl, list.entries)) return CallFailure{*failure};
  return list;
}

CallResult<> WindowsFolderAccessSource::CreateAdminOnlyFolder(const std::string& folder) const {
  const std::string name = FolderName(folder);
  // The folders above it, from the top, each created unless it exists.
  for (size_t separator = name.find('\\', 3); separator != std::string::npos;
       separator = name.find('\\', separator + 1)) {
    const std::string parent = name.substr(0, separator);
    if (!CreateDirectoryW(WideFromUtf8(parent).c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
      return WindowsCallFailure("CreateDirectoryW", GetLastError());
  }
  LocalMemory descriptor;
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorA(kAdminOnlyFolderSddl, SDDL_REVISION_1,
                                                            descriptor.Receive<void>(), nullptr))
    return WindowsCallFailure("ConvertStringSecurityDescriptorToSecurityDescriptorA", GetLastError());
  SECURITY_ATTRIBUTES attributes{sizeof attributes, descriptor.Get(), FALSE};
  if (!CreateDirectoryW(WideFromUtf8(name).c_str(), &attributes))
    return WindowsCallFailure("CreateDirectoryW", GetLastError());
  return {};
}
