#include "timesync/time_check.h"

#include <algorithm>
#include <exception>
#include <utility>

#include "logging/logs.h"
#include "base/date_time.h"
#include "timesync/http_date.h"
#include "timesync/time_page.h"

namespace {

bool IsSuccess(int status) { return status >= 200 && status <= 299; }
bool IsRedirection(int status) { return status >= 300 && status <= 399; }

// A check that ended before any address was asked, with the reason as its one failed answer.
TimeCheckResult FailedCheck(const std::string& why) {
  AddressAnswer answer{{}, {CallFailure{why}, TimePageFailure::kNoInternetHandle}, {}};
  TimeCheckResult result;
  result.answers.push_back(std::move(answer));
  return result;
}

}  // namespace

AnswerTime TimeOfAnswer(const TimePage& response, const StringList& monthNames, double referenceUtc,
                        double buildTimeUtc) {
  AnswerTime answer;
  const int status = response.statusCode;
  if (!IsSuccess(status) && !IsRedirection(status)) {
    answer.refusal = "ERROR: The time site answered with status " + std::to_string(status) + ", which gives no time";
    return answer;
  }
  std::optional<DateTimeParts> utc;
  const std::optional<PageTimeText> page = status == 200 ? ScanTimePage(response.body) : std::nullopt;
  if (page)
    utc = PageUtcTime(*page, monthNames, DecodeDateTime(referenceUtc));
  else
    utc = ParseHttpDate(response.dateHeader);
  if (!utc) return answer;

  const double time = EncodeDateTime(*utc);
  if (buildTimeUtc != 0 && time < buildTimeUtc - kBuildTimeMarginDays) {
    answer.refusal = "ERROR: The internet time " + FormatLogTimestamp(time, ":") +
                     " UTC lies more than 48 hours before this program was built (" +
                     FormatLogTimestamp(buildTimeUtc, ":") + " UTC), so it is not used";
    answer.level = 1;
    return answer;
  }
  answer.utc = time;
  return answer;
}

TimeCheckResult RunTimeCheck(const TimeCheckRequest& request) {
  TimeCheckResult result;
  for (const std::string& url : request.urls) {
    AddressAnswer answer{url, request.fetcher->Fetch(url), {}};
    if (answer.fetch.page) {
      const TimePage& page = answer.fetch.page.Value();
      // A clock set back to before the build still finds the page's year.
      const double reference = std::max(page.readUtc, request.buildTimeUtc);
      answer.time = TimeOfAnswer(page, request.monthNames, reference, request.buildTimeUtc);
    }
    result.answers.push_back(std::move(answer));
    if (result.answers.back().time.utc) break;
  }
  return result;
}

void PendingTimeCheck::Finish(TimeCheckResult result) {
  std::lock_guard lock(mutex_);
  result_ = std::move(result);
}

std::optional<TimeCheckResult> PendingTimeCheck::Take() {
  std::lock_guard lock(mutex_);
  return std::exchange(result_, std::nullopt);
}

std::shared_ptr<PendingTimeCheck> LaunchTimeCheck(TimeCheckRequest request, const WorkerRunner& runWorker) {
  auto pending = std::make_shared<PendingTimeCheck>();
  if (!runWorker || request.fetcher == nullptr) {
    pending->Finish(FailedCheck({}));
    return pending;
  }
  try {
    runWorker([pending, request = std::move(request)] {
      try {
        pending->Finish(RunTimeCheck(request));
      } catch (const std::exception& error) {
        pending->Finish(FailedCheck(std::string("The time check failed: ") + error.what()));
      } catch (...) {
        // A throw of another kind would end the whole service on this thread.
        pending->Finish(FailedCheck("The time check failed with an exception of an unknown kind"));
      }
    });
  } catch (const std::exception& error) {
    pending->Finish(FailedCheck(std::string("No thread for the time check: ") + error.what()));
  }
  return pending;
}
