#include "engine/user_identity.h"

#include "core/service_state.h"
#include "engine/account_control.h"
#include "base/case_folding.h"

std::string RestrictedUserSid(ServiceState& service, const std::string& userName) {
  const std::string key = FoldCase(userName);
  if (const auto known = service.UserSids.find(key); known != service.UserSids.end()) return known->second;
  const std::string sid = service.Platform().accountControl->AccountSid(userName);
  if (!sid.empty()) service.UserSids.emplace(key, sid);
  return sid;
}

bool SessionOfUser(ServiceState& service, const UserSession& session, const std::string& userName) {
  if (session.userName.empty()) return false;
  if (SameText(session.userName, userName)) return true;
  if (session.sid.empty()) return false;
  return session.sid == RestrictedUserSid(service, userName);
}

std::string RestrictedUserOf(ServiceState& service, const std::string& account, const std::string& sid) {
  if (sid.empty() || service.RestrictedUsers.IndexOf(account) >= 0) return account;
  for (const std::string& user : service.RestrictedUsers)
    if (RestrictedUserSid(service, user) == sid) return user;
  return account;
}

void ForgetUnrestrictedSids(ServiceState& service) {
  for (auto entry = service.UserSids.begin(); entry != service.UserSids.end();) {
    bool restricted = false;
    for (const std::string& user : service.RestrictedUsers) restricted = restricted || FoldCase(user) == entry->first;
    entry = restricted ? ++entry : service.UserSids.erase(entry);
  }
}
