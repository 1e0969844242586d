#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "census/process_source.h"
#include "core/known_processes.h"

class ServiceState;

// The owners of processes whose owner cannot be read (their token refuses the service, their
// account has no name): each is counted for the user logged on in its session, so that a user's
// programs cannot hide from the census by refusing to be queried. A process in a session without
// a user (the services' session 0, a logon screen) belongs to nobody.
class SessionOwners {
 public:
  // Asks the service's session seam once per session and census. remembered, when given, keeps
  // the users found for later censuses, each while a process of its session still runs.
  SessionOwners(ServiceState& service, KnownSessionUserTable* remembered);
  // Forgets the remembered users of sessions whose process that vouched for them has ended (the
  // session may have ended and its id gone to another).
  void ForgetEnded(const std::vector<SnapshotProcess>& snapshot);
  // The owner the process is counted for: the user of its session, cut to the owner's width, with
  // a level-4 line; empty for nobody, with a level-3 line saying why.
  std::string OwnerOf(uint32_t pid, uint32_t sessionId, const ProcessKey& process);

 private:
  // The user of the session, empty for none; failure says why when it could not be read.
  std::string UserOf(uint32_t sessionId, const ProcessKey& process, std::string& failure);

  struct Answer {
    std::string user;
    std::string failure;
  };
  ServiceState& service_;
  KnownSessionUserTable* remembered_;
  std::unordered_map<uint32_t, Answer> asked_;  // this census's answers, by session
};
