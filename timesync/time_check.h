#pragma once

#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "core/service_platform.h"
#include "base/string_list.h"
#include "timesync/time_sync_platform.h"

// One check of the time against the internet, run on a thread of its own so that nothing of the
// service waits for a site: it asks the addresses in turn and hands back what each answered. It
// owns everything it touches, so the service may stop, and the process end, while it runs.

// An internet time more than this before the executable was built cannot be right: 48 hours.
inline constexpr double kBuildTimeMarginDays = 2.0;

// The time an answer gives, or why it gives none.
struct AnswerTime {
  std::optional<double> utc;  // UTC, days since 1899-12-30
  std::string refusal;        // why an answer was not taken; empty when it simply held no time
  int level = 2;              // the debug level of the refusal
};

// The UTC date and time of an answer: the page's, for a 200 answer whose body holds one (its
// year taken from the reference, a UTC date-time); else the Date header's, for any 2xx or 3xx
// answer. Refused: an answer of another status, and a time more than kBuildTimeMarginDays before
// the build time (when that is known, not 0). No time and no refusal when the answer holds no
// time, or when the page's values form no valid date and time.
AnswerTime TimeOfAnswer(const TimePage& page, const StringList& monthNames, double referenceUtc,
                        double buildTimeUtc);

// What a check asks, copied for the check's own thread.
struct TimeCheckRequest {
  std::vector<std::string> urls;  // in the order they are tried
  StringList monthNames;
  double buildTimeUtc = 0;  // 0: unknown
  std::shared_ptr<TimePageFetcher> fetcher;
};

// What one address answered, and the time read from the answer (only for an answer that was read).
struct AddressAnswer {
  std::string url;
  TimePageFetch fetch;
  AnswerTime time;
};

// What a finished check found.
struct TimeCheckResult {
  // True when the computer's clock is taken as it is, without asking anyone (TimeUrl "none").
  bool trustClock = false;
  // The answers in the order asked; when one gave a time it is the last.
  std::vector<AddressAnswer> answers;
};

// Asks the addresses in order until one gives a time.
TimeCheckResult RunTimeCheck(const TimeCheckRequest& request);

// A check under way: its thread finishes it, the service takes its result.
class PendingTimeCheck {
 public:
  void Finish(TimeCheckResult result);
  // The result once the check has finished, once; nothing before.
  std::optional<TimeCheckResult> Take();

 private:
  std::mutex mutex_;
  std::optional<TimeCheckResult> result_;
};

// Runs the check through the worker runner and returns it under way. A runner that cannot run
// it, and a check that fails on its thread, finish it with a failed answer that says why.
std::shared_ptr<PendingTimeCheck> LaunchTimeCheck(TimeCheckRequest request, const WorkerRunner& runWorker);
