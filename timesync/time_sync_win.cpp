#include "timesync/time_sync_win.h"

#include <windows.h>
#include <wininet.h>

#include "platform/win_error.h"
#include "timesync/time_page.h"

namespace {

constexpr char kAgent[] = "Tickfetcher";
// Handed to WinINet with the request; the fetch is synchronous and no callback reads it.
constexpr DWORD_PTR kRequestContext = 777;

// Owns a WinINet handle and closes it on every path.
class InternetHandle {
 public:
  explicit InternetHandle(HINTERNET handle) : handle_(handle) {}
  ~InternetHandle() {
    if (handle_ != nullptr) InternetCloseHandle(handle_);
  }
  InternetHandle(const InternetHandle&) = delete;
  InternetHandle& operator=(const InternetHandle&) = delete;

  HINTERNET Get() const { return handle_; }
  explicit operator bool() const { return handle_ != nullptr; }

 private:
  HINTERNET handle_;
};

// The raw text of the response's Date header, empty when there is none.
std::string DateHeader(HINTERNET request) {
  char text[256];
  DWORD size = sizeof text;
  DWORD index = 0;
  if (!HttpQueryInfoA(request, HTTP_QUERY_DATE, text, &size, &index)) return {};
  return std::string(text, size);
}

TimePageResponse Failure(TimePageResponse::Outcome outcome, const char* call, DWORD error) {
  TimePageResponse response;
  response.outcome = outcome;
  response.failure = DescribeWindowsFailure(call, error);
  return response;
}

}  // namespace

TimePageResponse WinInetTimePageFetcher::Fetch(const std::string& url) {
  // INTERNET_OPEN_TYPE_PRECONFIG: the system's own proxy settings; no proxy or bypass list here.
  InternetHandle session(InternetOpenA(kAgent, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
  if (!session) return Failure(TimePageResponse::Outcome::NoInternetHandle, "InternetOpenA", GetLastError());

  // INTERNET_FLAG_RELOAD: from the server, never from a cache. No extra headers (length -1).
  InternetHandle request(InternetOpenUrlA(session.Get(), url.c_str(), nullptr, static_cast<DWORD>(-1),
                                          INTERNET_FLAG_RELOAD, kRequestContext));
  if (!request) return Failure(TimePageResponse::Outcome::NotReached, "InternetOpenUrlA", GetLastError());

  char buffer[kTimePageReadSize];
  DWORD read = 0;
  if (!InternetReadFile(request.Get(), buffer, sizeof buffer, &read))
    return Failure(TimePageResponse::Outcome::ReadFailed, "InternetReadFile", GetLastError());

  TimePageResponse response;
  response.body.assign(buffer, read);
  response.dateHeader = DateHeader(request.Get());
  return response;  // the request handle closes first, then the internet handle
}

TimeZoneReading WindowsTimeZoneQuery::Read() {
  TIME_ZONE_INFORMATION zone{};
  const DWORD result = GetTimeZoneInformation(&zone);
  const DWORD error = GetLastError();
  TimeZoneReading reading;
  reading.bias = zone.Bias;
  reading.standardBias = zone.StandardBias;
  reading.daylightBias = zone.DaylightBias;
  switch (result) {
    case TIME_ZONE_ID_UNKNOWN:
      reading.period = TimeZoneReading::Period::Unknown;
      break;
    case TIME_ZONE_ID_STANDARD:
      reading.period = TimeZoneReading::Period::Standard;
      break;
    case TIME_ZONE_ID_DAYLIGHT:
      reading.period = TimeZoneReading::Period::Daylight;
      break;
    default:  // TIME_ZONE_ID_INVALID
      reading.period = TimeZoneReading::Period::Failed;
      reading.failure = DescribeWindowsFailure("GetTimeZoneInformation", error);
      break;
  }
  return reading;
}

std::optional<std::string> WindowsLocalClockSetter::SetLocalTime(const SystemTimeRecord& record) {
  SYSTEMTIME time{};
  time.wYear = static_cast<WORD>(record.year);
  time.wMonth = static_cast<WORD>(record.month);
  time.wDayOfWeek = static_cast<WORD>(record.dayOfWeek);
  time.wDay = static_cast<WORD>(record.day);
  time.wHour = static_cast<WORD>(record.hour);
  time.wMinute = static_cast<WORD>(record.minute);
  time.wSecond = static_cast<WORD>(record.second);
  time.wMilliseconds = static_cast<WORD>(record.milliseconds);
  // The system ignores wDayOfWeek; it is filled for completeness.
  if (::SetLocalTime(&time)) return std::nullopt;
  return DescribeWindowsFailure("SetLocalTime", GetLastError());
}
