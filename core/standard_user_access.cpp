#include "core/standard_user_access.h"

#include <string_view>

namespace {

struct Group {
  std::string_view sid;
  std::string_view name;
};

constexpr Group kStandardUserGroups[] = {
    {kUsersSid, "Users"},
    {kAuthenticatedUsersSid, "Authenticated Users"},
    {kEveryoneSid, "Everyone"},
    {kInteractiveSid, "INTERACTIVE"},
};

struct Right {
  uint32_t bit;
  std::string_view what;
};

constexpr Right kWriteRights[] = {
    {kFolderAddFile, "create files"},
    {kFolderAddSubfolder, "create folders"},
    {kFolderDeleteChild, "delete files"},
    {kWriteDac, "change its permissions"},
    {kWriteOwner, "take ownership"},
};

constexpr uint32_t kAllWriteRights = kFolderAddFile | kFolderAddSubfolder | kFolderDeleteChild | kWriteDac | kWriteOwner;

// The folder rights a mask grants, the generic rights mapped as for files: GENERIC_WRITE gives
// FILE_GENERIC_WRITE (which adds files and folders), GENERIC_ALL everything.
uint32_t FolderRights(uint32_t mask) {
  uint32_t rights = mask;
  if ((mask & kGenericAll) != 0) rights |= kAllWriteRights;
  if ((mask & kGenericWrite) != 0) rights |= kFolderAddFile | kFolderAddSubfolder;
  return rights & kAllWriteRights;
}

const Group* StandardUserGroup(const std::string& sid) {
  for (const Group& group : kStandardUserGroups)
    if (group.sid == sid) return &group;
  return nullptr;
}

std::string Describe(std::string_view who, uint32_t rights) {
  std::string text(who);
  text += " may ";
  bool first = true;
  for (const Right& right : kWriteRights) {
    if ((rights & right.bit) == 0) continue;
    if (!first) text += ", ";
    text += right.what;
    first = false;
  }
  return text;
}

}  // namespace

std::optional<std::string> StandardUserWriteAccess(const CallResult<FolderAccessList>& read) {
  return read ? StandardUserWriteAccess(read.Value()) : std::nullopt;
}

std::optional<std::string> StandardUserWriteAccess(const FolderAccessList& list) {
  if (list.kind != FolderAccessList::Kind::kFolder) return std::nullopt;
  if (list.noList) return Describe("everyone (the folder has no access list)", kAllWriteRights);
  uint32_t denied = 0;
  uint32_t granted = 0;
  std::string givers;
  for (const AccessEntry& entry : list.entries) {
    const Group* group = StandardUserGroup(entry.trustee);
    if (group == nullptr || entry.inheritOnly) continue;
    const uint32_t rights = FolderRights(entry.mask);
    if (!entry.allows) {
      denied |= rights;
      continue;
    }
    const uint32_t gives = rights & ~denied & ~granted;
    if (gives == 0) continue;
    granted |= gives;
    const std::string name = std::string(group->name) + " (" + std::string(group->sid) + ")";
    if (givers.find(name) == std::string::npos) givers += (givers.empty() ? "" : " and ") + name;
  }
  if (granted == 0) return std::nullopt;
  return Describe(givers, granted);
}
