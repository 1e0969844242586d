#include "timesync/time_sync_win.h"

#include <windows.h>
#include <wininet.h>

#include "platform/system_time_win.h"
#include "platform/win_error.h"
#include "settings/time_url.h"
#include "timesync/time_page.h"

namespace {

constexpr char kAgent[] = "Tickfetcher";
// Handed to WinINet with the request; the fetch is synchronous and no callback reads it.
constexpr DWORD_PTR kRequestContext = 777;

// INTERNET_FLAG_RELOAD, INTERNET_FLAG_NO_CACHE_WRITE, INTERNET_FLAG_PRAGMA_NOCACHE: from the
// server, never from a cache, and nothing kept. INTERNET_FLAG_NO_AUTO_REDIRECT: a redirection is
// an answer of its own (its Date header counts), never followed, so an https:// address can
// never end at a plain http:// one. INTERNET_FLAG_NO_COOKIES, INTERNET_FLAG_NO_UI: a service has
// no one to ask and nothing to remember.
constexpr DWORD kRequestFlags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_PRAGMA_NOCACHE |
                                INTERNET_FLAG_NO_AUTO_REDIRECT | INTERNET_FLAG_NO_COOKIES | INTERNET_FLAG_NO_UI;

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

// The connect, send and receive time-outs, on the handle and so on the handles made from it.
bool SetTimeouts(HINTERNET handle, DWORD timeoutMs) {
  for (const DWORD option : {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT, INTERNET_OPTION_RECEIVE_TIMEOUT})
    if (!InternetSetOptionA(handle, option, &timeoutMs, sizeof timeoutMs)) return false;
  return true;
}

}  // namespace

TimePageResponse WinInetTimePageFetcher::Fetch(const std::string& url) {
  const ParsedTimeUrl parsed = ParseTimeUrl(url);
  if (!parsed.parts) {
    TimePageResponse response;
    response.outcome = TimePageResponse::Outcome::NotReached;
    response.failure = parsed.problem;
    return response;
  }
  const TimeUrlParts& parts = *parsed.parts;

  // INTERNET_OPEN_TYPE_PRECONFIG: the system's own proxy settings; no proxy or bypass list here.
  InternetHandle session(InternetOpenA(kAgent, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
  if (!session) return Failure(TimePageResponse::Outcome::NoInternetHandle, "InternetOpenA", GetLastError());
  // One try at connecting, so the connect time-out bounds the wait.
  DWORD retries = 1;
  if (!SetTimeouts(session.Get(), timeoutMs_) ||
      !InternetSetOptionA(session.Get(), INTERNET_OPTION_CONNECT_RETRIES, &retries, sizeof retries))
    return Failure(TimePageResponse::Outcome::NoInternetHandle, "InternetSetOptionA", GetLastError());

  InternetHandle connection(InternetConnectA(session.Get(), parts.host.c_str(), static_cast<INTERNET_PORT>(parts.port),
                                             nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, kRequestContext));
  if (!connection) return Failure(TimePageResponse::Outcome::NotReached, "InternetConnectA", GetLastError());

  // INTERNET_FLAG_SECURE: TLS, with the site's certificate checked against the trusted roots.
  const DWORD flags = kRequestFlags | (parts.secure ? INTERNET_FLAG_SECURE : 0);
  InternetHandle request(HttpOpenRequestA(connection.Get(), "GET", parts.path.c_str(), nullptr, nullptr, nullptr,
                                          flags, kRequestContext));
  if (!request) return Failure(TimePageResponse::Outcome::NotReached, "HttpOpenRequestA", GetLastError());
  if (!SetTimeouts(request.Get(), timeoutMs_))
    return Failure(TimePageResponse::Outcome::NotReached, "InternetSetOptionA", GetLastError());
  if (parts.secure) {
    // SECURITY_FLAG_IGNORE_CERT_DATE_INVALID: the clock may be wrong (that is why we ask), so a
    // certificate is not refused for its dates; its chain and its host name still must hold.
    DWORD security = 0;
    DWORD size = sizeof security;
    if (!InternetQueryOptionA(request.Get(), INTERNET_OPTION_SECURITY_FLAGS, &security, &size))
      return Failure(TimePageResponse::Outcome::NotReached, "InternetQueryOptionA", GetLastError());
    security |= SECURITY_FLAG_IGNORE_CERT_DATE_INVALID;
    if (!InternetSetOptionA(request.Get(), INTERNET_OPTION_SECURITY_FLAGS, &security, sizeof security))
      return Failure(TimePageResponse::Outcome::NotReached, "InternetSetOptionA", GetLastError());
  }
  if (!HttpSendRequestA(request.Get(), nullptr, 0, nullptr, 0))
    return Failure(TimePageResponse::Outcome::NotReached, "HttpSendRequestA", GetLastError());

  DWORD status = 0;
  DWORD statusSize = sizeof status;
  DWORD index = 0;
  if (!HttpQueryInfoA(request.Get(), HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &statusSize, &index))
    return Failure(TimePageResponse::Outcome::ReadFailed, "HttpQueryInfoA", GetLastError());

  char buffer[kTimePageReadSize];
  DWORD read = 0;
  if (!InternetReadFile(request.Get(), buffer, sizeof buffer, &read))
    return Failure(TimePageResponse::Outcome::ReadFailed, "InternetReadFile", GetLastError());

  TimePageResponse response;
  response.statusCode = static_cast<int>(status);
  response.body.assign(buffer, read);
  response.dateHeader = DateHeader(request.Get());
  return response;  // the handles close in reverse order: request, connection, session
}

std::optional<std::string> WindowsSystemClockSetter::SetSystemTime(const SystemTimeRecord& utc) {
  SYSTEMTIME time = ToSystemTime({utc.year, utc.month, utc.day, utc.hour, utc.minute, utc.second, utc.milliseconds});
  time.wDayOfWeek = static_cast<WORD>(utc.dayOfWeek);
  // The system ignores wDayOfWeek; it is filled for completeness. SetSystemTime enables the
  // privilege to set the clock itself for the call.
  if (::SetSystemTime(&time)) return std::nullopt;
  return DescribeWindowsFailure("SetSystemTime", GetLastError());
}
