#include "engine/account_blocking.h"

#include "engine/account_control.h"
#include "engine/session_backstop.h"
#include "engine/user_identity.h"
#include "logging/logs.h"
#include "core/service_state.h"
#include "base/utf8_text.h"
#include "settings/user_state_store.h"

namespace {

// Every hour of the week permitted (0xFF) or none (0x00), built afresh for every call.
LogonHours WholeWeek(bool permitted) {
  LogonHours hours;
  hours.fill(permitted ? 0xFF : 0x00);
  return hours;
}

}  // namespace

void SetAccountBlocked(ServiceState& service, const std::string& userName, bool blocked) {
  // The account call takes the name in a buffer of kMaxAccountNameLength characters; a longer
  // name is refused here rather than cut short, which could name another account.
  if (Utf16Length(userName) > kMaxAccountNameLength) {
    WriteLogAt(service, 2, "ERROR: Not possible to set user settings " + userName);
    return;
  }
  const CallResult<> set =
      service.Platform().accountControl->SetLogonHours(userName, kLogonUnitsPerWeek, WholeWeek(!blocked));
  if (set) {
    WriteLogAt(service, 2,
               (blocked ? "User account successfully blocked: " : "User account successfully unblocked: ") + userName);
    return;
  }
  WriteLogAt(service, 2, "ERROR: Not possible to set user settings " + userName);
  WriteLogAt(service, 2, set.Failure());
}

void CheckLogoffFlags(ServiceState& service) {
  int stillLogged = 0;
  for (int i = 0; i < service.RestrictedUsers.Count(); ++i) {
    const std::string name = service.RestrictedUsers[i];
    // A user whose sessions are all locked or disconnected under EndSession lock is where the
    // request meant to bring the user: not still logged on against it.
    const bool loggedOn = service.LoggedOnUsers.IndexOf(name) >= 0 && !KeptAwayByLock(service, name);
    const bool raised = ReadLogoffFlag(service, name) != 0;
    const bool endSessions = NoteStillLogged(service, name, raised && loggedOn);
    if (!raised) continue;
    if (loggedOn) {
      WriteLogAt(service, 1, "User " + name + " still logged !");
      ++stillLogged;
    }
    WriteLogAt(service, 2, "Reseting logoff flag for user: " + name);
    WriteLogoffFlag(service, name, 0);  // a failed clearing shows as a raised flag next minute
    if (endSessions) EndSessionsOf(service, name);
  }
  ForgetUnrestrictedCounts(service);
  ForgetUnrestrictedSids(service);
  if (stillLogged > 0) PrepareShutdown(service);
}

void PrepareShutdown(ServiceState& service) {
  const ShutdownPrivilegeResult result = service.Platform().accountControl->EnableShutdownPrivilege();
  if (!result.call) {
    WriteLogAt(service, 3,
               result.failedStep == PrivilegeStep::kOpenToken ? "Unable to open process for shutdown"
                                                              : "Unable to adjust token privilege for shutdown");
    WriteLogAt(service, 3, result.call.Failure());
    return;
  }
  WriteLogAt(service, 1, "Shutting down computer");
  FlushLogs(service);
}

void UnblockAllUsers(ServiceState& service) {
  for (int i = 0; i < service.RestrictedUsers.Count(); ++i)
    SetAccountBlocked(service, service.RestrictedUsers[i], false);
}

void BlockAllUsers(ServiceState& service) {
  for (int i = 0; i < service.RestrictedUsers.Count(); ++i)
    SetAccountBlocked(service, service.RestrictedUsers[i], true);
}
