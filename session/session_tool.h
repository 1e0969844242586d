#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "parentcode/more_time_protocol.h"
#include "platform/clock.h"
#include "platform/request_client.h"
#include "session/session_desktop.h"
#include "session/session_texts.h"
#include "session/user_values.h"
#include "session/warning_schedule.h"
#include "settings/registry_access.h"

// How long after a sign-out it asked for the tool, still running, looks at the request again.
inline constexpr uint64_t kLogoffSettleMilliseconds = 30'000;
// The same after a lock: the service clears the request at its next minute, and a look before it
// would count down again on the locked screen.
inline constexpr uint64_t kLockSettleMilliseconds = 90'000;
// The longest the end waits, once the countdown has run out, while a parent's code is typed.
inline constexpr int kTypingWaitSeconds = 30;
// How long the service's word on the parent's code and the grace is taken as it was given.
inline constexpr uint64_t kStatusMaxAgeMilliseconds = 60'000;

// How the tool paces itself.
struct SessionTiming {
  // Between two readings of the user's values.
  int pollMilliseconds = 5000;
  // From a seen request to the end of the session.
  int countdownSeconds = 60;
};

// The tool in a restricted user's session. It reads the user's values read-only at every poll,
// keeps the tray tip current and warns as the time left runs out; once it has seen the user's
// request it counts down and then signs the user out, or locks the screen with EndSession lock.
// A request withdrawn meanwhile (gone at two polls in a row) ends the countdown; so do minutes
// from a parent's code and the grace to save one's work. When it still runs after the end (a
// cancelled sign-out, an unlocked screen) and the request stands, it counts down and asks again.
// A user without a key sees nothing and is never signed out. It keeps nothing beyond its run.
class SessionTool {
 public:
  enum class State { kWatching, kCountingDown, kEnded };

  SessionTool(std::string userName, RegistryOpener openRegistry, const Clock& clock, SessionDesktop& desktop,
              SessionTiming timing = {});

  // Called by the desktop's timer, at least once a second: polls when a poll is due, advances the
  // countdown, and ends the session when it has run out (a failed end is tried again at every
  // poll); while a parent's code is being typed the end waits up to kTypingWaitSeconds.
  void Tick();

  // The way to the service for more time by a parent's code and the grace; none: nothing is offered.
  void SetMoreTimeClient(RequestClient* client) { moreTime_ = client; }
  // Asks the service again what it offers this user (the tray menu is opened, say).
  void RefreshServiceStatus();
  // The minutes a code gives the user now, as the service last said; 0 when it says no code is
  // set up for the user, or cannot be asked.
  int MinutesByCode() const;
  // The minutes the grace gives the user now, as the service last said; 0 when used today or none.
  int GraceMinutes() const;
  // Sends the code to the service and returns its answer in plain words. Minutes added end a
  // countdown (the service has withdrawn the request).
  std::string AskForMoreTime(const std::string& code);
  // Asks the service for the day's grace to save one's work; granted, the countdown ends and a
  // warning says until when. Returns the answer in plain words.
  std::string AskForGrace();

  // Whether the last answer from the service gave time: minutes by code, or the grace.
  bool LastAnswerGaveTime() const { return lastAnswerGaveTime_; }

  State CurrentState() const { return state_; }
  const std::string& UserName() const { return userName_; }

 private:
  void Poll(uint64_t nowMs);
  void PollDuringCountdown(uint64_t nowMs);
  void AdvanceCountdown(uint64_t nowMs);
  void StartCountdown(uint64_t nowMs);
  void EndCountdown();
  void ShowNotice(const std::string& text);
  void RefreshStatusIfOld(uint64_t nowMs);
  std::optional<SessionUserValues> ReadValues();
  SessionEnd End() const { return endsByLock_ ? SessionEnd::kLock : SessionEnd::kSignOut; }

  std::string userName_;
  RegistryOpener openRegistry_;
  const Clock& clock_;
  SessionDesktop& desktop_;
  SessionTiming timing_;

  State state_ = State::kWatching;
  std::optional<uint64_t> lastPollMs_;
  uint64_t endAtMs_ = 0;
  uint64_t endedAtMs_ = 0;
  std::optional<uint64_t> lastEndTryMs_;
  bool endsByLock_ = false;
  int requestGonePolls_ = 0;
  std::string shownNotice_;
  std::string shownTip_;
  WarningSchedule warnings_;
  RequestClient* moreTime_ = nullptr;
  std::optional<ServiceStatus> status_;
  std::optional<uint64_t> statusAtMs_;
  bool lastAnswerGaveTime_ = false;
};
