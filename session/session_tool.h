#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/request_client.h"
#include "session/session_desktop.h"
#include "session/user_values.h"
#include "session/warning_schedule.h"
#include "settings/registry_access.h"

// How long after a logoff it asked for the tool, still running, looks at the request again.
inline constexpr uint64_t kLogoffSettleMilliseconds = 30'000;

// How the tool paces itself.
struct SessionTiming {
  // Between two readings of the user's values.
  int pollMilliseconds = 5000;
  // From a seen logoff request to the logoff.
  int countdownSeconds = 60;
};

// The tool in a restricted user's session. It reads the user's values read-only at every poll,
// keeps the tray tip current and warns as the time left runs out; once it has seen the user's
// logoff request it counts down and logs the session off, even if the request is cleared in the
// meantime; when it still runs 30 s after the logoff and the request stands, it counts down and
// asks again. A user without a key sees nothing and is never logged off. It keeps nothing beyond
// its run.
class SessionTool {
 public:
  enum class State { kWatching, kCountingDown, kLoggedOff };

  SessionTool(std::string userName, RegistryOpener openRegistry, const Clock& clock, SessionDesktop& desktop,
              SessionTiming timing = {});

  // Called by the desktop's timer, at least once a second: polls when a poll is due, advances the
  // countdown, and logs off when it has run out (a failed logoff is tried again at every poll).
  void Tick();

  // The way to the service for more time by a parent's code; none: nothing is offered.
  void SetMoreTimeClient(RequestClient* client) { moreTime_ = client; }
  // The minutes a code gives the user now (what the administrator set, as far as today's maximum
  // by code allows), from the values of the last poll; 0 when the user may not ask.
  int MinutesByCode() const;
  // Sends the code to the service and returns its answer in plain words. Minutes added end a
  // countdown to the logoff (the service has withdrawn the request).
  std::string AskForMoreTime(const std::string& code);

  State CurrentState() const { return state_; }
  const std::string& UserName() const { return userName_; }

 private:
  void Poll(uint64_t nowMs);
  void AdvanceCountdown(uint64_t nowMs);
  void StartCountdown(uint64_t nowMs);

  std::string userName_;
  RegistryOpener openRegistry_;
  const Clock& clock_;
  SessionDesktop& desktop_;
  SessionTiming timing_;

  State state_ = State::kWatching;
  std::optional<uint64_t> lastPollMs_;
  uint64_t logoffAtMs_ = 0;
  uint64_t loggedOffAtMs_ = 0;
  std::optional<uint64_t> lastLogoffTryMs_;
  int shownSeconds_ = -1;
  std::string shownTip_;
  WarningSchedule warnings_;
  RequestClient* moreTime_ = nullptr;
  std::optional<SessionUserValues> lastValues_;
};
