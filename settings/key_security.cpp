#include "settings/key_security.h"

#include <map>

namespace {

constexpr uint32_t kReadRights = kKeyQueryValueRight;
constexpr uint32_t kChangeRights = kKeySetValueRight | kKeyCreateSubKeyRight | kDeleteRight | kWriteDac | kWriteOwner;

// The key rights a mask grants, the generic rights mapped as for keys: GENERIC_READ gives
// KEY_READ, GENERIC_WRITE KEY_WRITE, GENERIC_ALL everything.
uint32_t KeyRights(uint32_t mask) {
  uint32_t rights = mask;
  if ((mask & kGenericAll) != 0) rights |= kReadRights | kChangeRights;
  if ((mask & kGenericRead) != 0) rights |= kReadRights;
  if ((mask & kGenericWrite) != 0) rights |= kKeySetValueRight | kKeyCreateSubKeyRight;
  return rights & (kReadRights | kChangeRights);
}

std::string NameOf(const std::string& sid) {
  static const std::map<std::string, std::string> names = {
      {kUsersSid, "Users"}, {kAuthenticatedUsersSid, "Authenticated Users"}, {kEveryoneSid, "Everyone"},
      {kInteractiveSid, "INTERACTIVE"}};
  const auto found = names.find(sid);
  return found == names.end() ? sid : found->second + " (" + sid + ")";
}

std::string What(uint32_t rights) {
  const bool reads = (rights & kReadRights) != 0;
  const bool changes = (rights & kChangeRights) != 0;
  return reads && changes ? "read and change it" : reads ? "read it" : "change it";
}

}  // namespace

std::optional<std::string> KeyOpenToOthers(const KeyAccessList& list) {
  if (!list.found) return std::nullopt;
  if (list.noList) return "everyone (the key has no access list) may read and change it";
  std::map<std::string, uint32_t> denied;
  std::map<std::string, uint32_t> granted;
  std::vector<std::string> order;
  for (const AccessEntry& entry : list.entries) {
    if (entry.inheritOnly || entry.trustee == kLocalSystemSid || entry.trustee == kAdministratorsSid) continue;
    const uint32_t rights = KeyRights(entry.mask);
    if (!entry.allows) {
      denied[entry.trustee] |= rights;
      continue;
    }
    const uint32_t gives = rights & ~denied[entry.trustee];
    if (gives == 0) continue;
    if (granted[entry.trustee] == 0) order.push_back(entry.trustee);
    granted[entry.trustee] |= gives;
  }
  if (order.empty()) return std::nullopt;
  std::string text;
  for (const std::string& trustee : order)
    text += (text.empty() ? "" : "; ") + NameOf(trustee) + " may " + What(granted[trustee]);
  return text;
}
