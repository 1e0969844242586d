#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "base/call_result.h"
#include "platform/installed_service.h"

// Whether the program serving a pipe is the service. Any program of a user's session can make a
// pipe of the service's name while the service does not hold it (during a restart, say); a client
// that sends something it must not show anyone else (a parent's code) first makes sure.

// The session of the services.
inline constexpr uint32_t kServicesSession = 0;

// What a client learnt of the program serving the pipe it opened.
struct PipeServerFacts {
  CallResult<uint32_t> serverProcessId = CallFailure{"not asked"};  // or why it could not be learnt
  std::optional<uint32_t> serverSession;  // nothing: it could not be learnt
  InstalledService service;  // the service as the service control manager has it
};

// True for the name the service control manager gives the local system account ("LocalSystem",
// also written ".\LocalSystem" or "NT AUTHORITY\SYSTEM"), in any letter case.
bool IsLocalSystemAccount(const std::string& account);

// Why the pipe's server is not the service, in words for the user; nothing when it is: the
// process the service control manager runs the service in, as LocalSystem, in the services'
// session (0; a test under Wine, where every program shares one session, names that one). The
// process is what counts: only an administrator can make the service control manager run a
// program as the service, and a session that cannot be learnt leaves it to the process.
std::optional<std::string> WhyNotTheService(const PipeServerFacts& facts, uint32_t servicesSession);
