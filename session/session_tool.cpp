#include "session/session_tool.h"

#include <utility>

#include "base/date_time.h"
#include "engine/time_left.h"

namespace {

// Polls in a row at which the request must be gone before the countdown ends: the service clears
// a request and raises it again within one minute's work, and one poll may fall between the two.
constexpr int kGonePollsToEnd = 2;

}  // namespace

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
      if (pollDue) PollDuringCountdown(nowMs);
      if (state_ == State::kCountingDown) AdvanceCountdown(nowMs);
      break;
    case State::kEnded:
      // An end that was asked for but did not end the session (a sign-out cancelled on the
      // "programs are preventing sign-out" screen, a screen unlocked again) is not the end: watch
      // again and, while the request stands, count down and ask again.
      if (nowMs - endedAtMs_ >= (endsByLock_ ? kLockSettleMilliseconds : kLogoffSettleMilliseconds)) {
        state_ = State::kWatching;
        Poll(nowMs);
      }
      break;
  }
}

std::optional<SessionUserValues> SessionTool::ReadValues() {
  if (!openRegistry_) return std::nullopt;
  std::unique_ptr<RegistryAccess> registry = openRegistry_();
  if (!registry) return std::nullopt;
  return ReadSessionUserValues(*registry, userName_);
}

void SessionTool::Poll(uint64_t nowMs) {
  lastPollMs_ = nowMs;
  const std::optional<SessionUserValues> values = ReadValues();
  std::string tip;
  if (!values) {
    // Not a restricted user (or the key cannot be read): nothing to show, nothing to do.
    warnings_.Reset();
  } else {
    endsByLock_ = values->endSessionLock;
    if (LogoffOf(values->user) != 0) {
      StartCountdown(nowMs);
      return;
    }
    const TimeLeft timeLeft = ComputeTimeLeft(values->user, clock_.Now());
    tip = TrayTipText(timeLeft);
    if (const std::optional<int> mark = warnings_.Update(timeLeft.minutesLeft)) {
      if (*mark == 1) RefreshStatusIfOld(nowMs);
      desktop_.ShowWarning(WarningText(timeLeft, clock_.Now(), End()), *mark == 1 && MinutesByCode() > 0);
    }
  }
  if (tip != shownTip_) {
    shownTip_ = tip;
    desktop_.ShowTrayTip(tip);
  }
}

void SessionTool::PollDuringCountdown(uint64_t nowMs) {
  lastPollMs_ = nowMs;
  const std::optional<SessionUserValues> values = ReadValues();
  const bool requested = values && LogoffOf(values->user) != 0;
  requestGonePolls_ = requested ? 0 : requestGonePolls_ + 1;
  if (requestGonePolls_ >= kGonePollsToEnd) EndCountdown();
}

void SessionTool::StartCountdown(uint64_t nowMs) {
  state_ = State::kCountingDown;
  endAtMs_ = nowMs + static_cast<uint64_t>(timing_.countdownSeconds) * 1000;
  lastEndTryMs_.reset();
  requestGonePolls_ = 0;
  shownNotice_.clear();
  RefreshStatusIfOld(nowMs);
  AdvanceCountdown(nowMs);
}

void SessionTool::EndCountdown() {
  state_ = State::kWatching;
  shownNotice_.clear();
  desktop_.HideLogoffNotice();
}

void SessionTool::ShowNotice(const std::string& text) {
  if (text == shownNotice_) return;
  shownNotice_ = text;
  desktop_.ShowLogoffNotice(text, MinutesByCode() > 0, GraceMinutes() > 0);
}

void SessionTool::AdvanceCountdown(uint64_t nowMs) {
  if (nowMs < endAtMs_) {
    ShowNotice(CountdownText(static_cast<int>((endAtMs_ - nowMs + 999) / 1000), End()));
    return;
  }
  const uint64_t typingLimitMs = endAtMs_ + static_cast<uint64_t>(kTypingWaitSeconds) * 1000;
  if (nowMs < typingLimitMs && desktop_.CodeBeingTyped()) {
    ShowNotice(TypingWaitText(static_cast<int>((typingLimitMs - nowMs + 999) / 1000), End()));
    return;
  }
  // The first try comes as soon as the countdown has run out, a failed one again a poll later.
  if (lastEndTryMs_ && nowMs - *lastEndTryMs_ < static_cast<uint64_t>(timing_.pollMilliseconds)) return;
  lastEndTryMs_ = nowMs;
  if (endsByLock_ ? desktop_.Lock() : desktop_.LogOff()) {
    // Nothing of the countdown is left on the screen: not behind a cancelled sign-out, nor on the
    // desktop the user finds after unlocking.
    desktop_.HideLogoffNotice();
    shownNotice_.clear();
    state_ = State::kEnded;
    endedAtMs_ = nowMs;
  }
}

void SessionTool::RefreshStatusIfOld(uint64_t nowMs) {
  if (statusAtMs_ && nowMs - *statusAtMs_ < kStatusMaxAgeMilliseconds) return;
  statusAtMs_ = nowMs;
  status_.reset();
  if (moreTime_ == nullptr) return;
  const RequestClient::Reply reply = moreTime_->Ask(kStatusRequest);
  if (reply) status_ = ParseStatusAnswer(reply.Value());
}

void SessionTool::RefreshServiceStatus() {
  statusAtMs_.reset();
  RefreshStatusIfOld(desktop_.SteadyMilliseconds());
}

int SessionTool::MinutesByCode() const { return status_ && status_->codeOffered ? status_->codeMinutes : 0; }

int SessionTool::GraceMinutes() const { return status_ ? status_->graceMinutes : 0; }

std::string SessionTool::AskForMoreTime(const std::string& code) {
  lastAnswerGaveTime_ = false;
  const std::optional<MoreTimeRequest> request = ParseMoreTimeRequest(FormatMoreTimeRequest({code, true}));
  if (!request) return kCodeOfSixDigitsText;
  if (moreTime_ == nullptr) return kServiceUnreachableText;
  const RequestClient::Reply reply = moreTime_->Ask(FormatMoreTimeRequest(*request));
  if (NotTheService(reply)) return kNotTheServiceText;
  if (!reply) return kServiceUnreachableText;
  const std::optional<MoreTimeAnswer> answer = ParseMoreTimeAnswer(reply.Value());
  lastAnswerGaveTime_ = answer && answer->kind == AnswerKind::kAdded && answer->minutes > 0;
  if (lastAnswerGaveTime_) {
    // The service has withdrawn the request: the countdown ends, and the next poll sees the time
    // left anew.
    if (state_ == State::kCountingDown) EndCountdown();
    warnings_.Reset();
    lastPollMs_.reset();
    statusAtMs_.reset();
  }
  return MoreTimeAnswerText(answer);
}

std::string SessionTool::AskForGrace() {
  lastAnswerGaveTime_ = false;
  if (moreTime_ == nullptr) return kServiceUnreachableText;
  const RequestClient::Reply reply = moreTime_->Ask(kGraceRequest);
  if (NotTheService(reply)) return kNotTheServiceText;
  if (!reply) return kServiceUnreachableText;
  const std::optional<MoreTimeAnswer> answer = ParseMoreTimeAnswer(reply.Value());
  RefreshServiceStatus();  // the grace is offered no more today
  lastAnswerGaveTime_ = answer && answer->kind == AnswerKind::kGrace;
  if (lastAnswerGaveTime_) {
    if (state_ == State::kCountingDown) EndCountdown();
    lastPollMs_ = desktop_.SteadyMilliseconds();
    const std::string until = FormatTimeOfDay(clock_.Now() + answer->minutes / 1440.0, ":");  // minutes in a day
    desktop_.ShowWarning(GraceText(until, End()), false);
  }
  return MoreTimeAnswerText(answer);
}
