#include "platform/access_entries_win.h"

#include <sddl.h>

#include "platform/local_memory_win.h"
#include "platform/win_error.h"

std::optional<std::string> ReadAccessEntries(ACL& list, std::vector<AccessEntry>& entries) {
  for (DWORD index = 0; index < list.AceCount; ++index) {
    void* ace = nullptr;
    if (!GetAce(&list, index, &ace)) return DescribeWindowsFailure("GetAce", GetLastError());
    const auto* header = static_cast<const ACE_HEADER*>(ace);
    if (header->AceType != ACCESS_ALLOWED_ACE_TYPE && header->AceType != ACCESS_DENIED_ACE_TYPE) continue;
    // Both kinds share one layout: header, mask, then the SID.
    auto* entry = static_cast<ACCESS_ALLOWED_ACE*>(ace);
    LocalMemory sidText;
    if (!ConvertSidToStringSidA(reinterpret_cast<PSID>(&entry->SidStart), sidText.Receive<char>()))
      return DescribeWindowsFailure("ConvertSidToStringSidA", GetLastError());
    entries.push_back({header->AceType == ACCESS_ALLOWED_ACE_TYPE, (header->AceFlags & INHERIT_ONLY_ACE) != 0,
                       static_cast<const char*>(sidText.Get()), entry->Mask});
  }
  return std::nullopt;
}
