#include "session/session_tool.h"

#include <algorithm>
#include <utility>

#include "parentcode/code_guard.h"
#include "platform/date_time.h"
#include "session/session_texts.h"
#include "session/time_left.h"
#include "session/user_values.h"

SessionTool::SessionTool(std::string userName, RegistryOpener openRegistry, const Clock& clock,
                         SessionDesktop& desktop, SessionTiming timing)
    : userName_(std::move(userName)),
      openRegistry_(std::move(openRegistry)),
      clock_(clock),
      desktop_(desktop),
      timing_(timing) {}

void SessionTool::Tick() {
  const uint64_t nowMs = desktop_.SteadyMilliseconds();
  const bool pollDue = !lastPollMs_ || nowMs - *lastPollMs_ >= static_cast<uint64_t>(timing_.pollMilliseconds);
  switch (state_) {
    case State::kWatching:
      if (pollDue) Poll(nowMs);
      break;
    case State::kCountingDown:
      AdvanceCountdown(nowMs);
      break;
    case State::kLoggedOff:
      // A logoff that was asked for but did not end the session (a sign-out cancelled on the
      // "programs are preventing sign-out" screen) is not the end: watch again and, while the
      // request stands, count down and ask again.
      if (nowMs - loggedOffAtMs_ >= kLogoffSettleMilliseconds) {
        state_ = State::kWatching;
        lastLogoffTryMs_.reset();
        shownSeconds_ = -1;
        Poll(nowMs);
      }
      break;
  }
}

void SessionTool::Poll(uint64_t nowMs) {
  lastPollMs_ = nowMs;
  std::optional<SessionUserValues> values;
  if (openRegistry_) {
    if (std::unique_ptr<RegistryAccess> registry = openRegistry_()) values = ReadSessionUserValues(*registry, userName_);
  }
  lastValues_ = values;
  std::string tip;
  if (!values) {
    // Not a restricted user (or the key cannot be read): nothing to show, nothing to do.
    warnings_.Reset();
  } else if (LogoffOf(values->user) != 0) {
    StartCountdown(nowMs);
    return;
  } else {
    const TimeLeft timeLeft = ComputeTimeLeft(values->user, clock_.Now());
    tip = TrayTipText(timeLeft);
    if (const std::optional<int> mark = warnings_.Update(timeLeft.minutesLeft))
      desktop_.ShowWarning(WarningText(timeLeft), *mark == 1 && MinutesByCode() > 0);
  }
  if (tip != shownTip_) {
    shownTip_ = tip;
    desktop_.ShowTrayTip(tip);
  }
}

void SessionTool::StartCountdown(uint64_t nowMs) {
  state_ = State::kCountingDown;
  logoffAtMs_ = nowMs + static_cast<uint64_t>(timing_.countdownSeconds) * 1000;
  AdvanceCountdown(nowMs);
}

void SessionTool::AdvanceCountdown(uint64_t nowMs) {
  if (nowMs < logoffAtMs_) {
    const int seconds = static_cast<int>((logoffAtMs_ - nowMs + 999) / 1000);
    if (seconds != shownSeconds_) {
      shownSeconds_ = seconds;
      desktop_.ShowLogoffNotice(CountdownText(seconds), MinutesByCode() > 0);
    }
    return;
  }
  // The first try comes as soon as the countdown has run out, a failed one again a poll later.
  if (lastLogoffTryMs_ && nowMs - *lastLogoffTryMs_ < static_cast<uint64_t>(timing_.pollMilliseconds)) return;
  lastLogoffTryMs_ = nowMs;
  if (desktop_.LogOff()) {
    state_ = State::kLoggedOff;
    loggedOffAtMs_ = nowMs;
  }
}

int SessionTool::MinutesByCode() const {
  if (moreTime_ == nullptr || !lastValues_) return 0;
  CodeRecord given;
  given.minutesGiven = lastValues_->codeGiven;
  given.givenDate = lastValues_->codeDate;
  return std::max(0, MinutesByCodeNow(given, lastValues_->codeMaxMinutes, lastValues_->codeMinutes,
                                      FormatStoredDate(clock_.Now())));
}

std::string SessionTool::AskForMoreTime(const std::string& code) {
  const std::optional<MoreTimeRequest> request = ParseMoreTimeRequest(FormatMoreTimeRequest({code}));
  if (!request) return kCodeOfSixDigitsText;
  if (moreTime_ == nullptr) return kServiceUnreachableText;
  const RequestClient::Reply reply = moreTime_->Ask(FormatMoreTimeRequest(*request));
  if (reply.notTheService) return kNotTheServiceText;
  if (!reply.answer) return kServiceUnreachableText;
  const std::optional<MoreTimeAnswer> answer = ParseMoreTimeAnswer(*reply.answer);
  if (answer && answer->kind == AnswerKind::kAdded && answer->minutes > 0) {
    // The service has withdrawn the logoff request: the countdown ends, and the next poll sees
    // the time left anew.
    if (state_ == State::kCountingDown) {
      state_ = State::kWatching;
      shownSeconds_ = -1;
      desktop_.HideLogoffNotice();
    }
    warnings_.Reset();
    lastPollMs_.reset();
  }
  return MoreTimeAnswerText(answer);
}
