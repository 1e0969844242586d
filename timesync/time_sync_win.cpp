#include "timesync/time_sync_win.h"

#include <windows.h>
#include <winhttp.h>

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "base/handle_holder.h"
#include "platform/system_time_win.h"
#include "platform/win_error.h"
#include "settings/time_url.h"
#include "timesync/time_page.h"

namespace {

using Deadline = std::chrono::steady_clock::time_point;

constexpr wchar_t kAgent[] = L"Tickfetcher";

// The notices the request's callback receives: the completions of the calls waited for, why a
// certificate was refused, and the closing of the handle (its last callback).
constexpr DWORD kNotices =
    WINHTTP_CALLBACK_FLAG_ALL_COMPLETIONS | WINHTTP_CALLBACK_FLAG_SECURE_FAILURE | WINHTTP_CALLBACK_FLAG_HANDLES;

// A WinHTTP handle (session, connection, request), closed with WinHttpCloseHandle.
struct WinHttpHandleKind {
  using Handle = HINTERNET;
  static constexpr Handle kNone = nullptr;
  static bool Holds(Handle handle) { return handle != nullptr; }
  static void Release(Handle handle) { WinHttpCloseHandle(handle); }
};
using WinHttpHandle = HandleHolder<WinHttpHandleKind>;

// What WinHTTP tells of the request, shared by the fetching thread and the callbacks, which come
// on WinHTTP's threads (or inside the call that started the work) and may still come after the
// fetch has given up.
struct RequestState {
  std::mutex mutex;
  std::condition_variable changed;
  DWORD completion = 0;     // the completion notice of the call under way; 0 while it runs
  DWORD error = 0;          // with WINHTTP_CALLBACK_STATUS_REQUEST_ERROR: the call's error
  DWORD certificate = 0;    // the WINHTTP_CALLBACK_STATUS_FLAG_... of a refused certificate
  DWORD bytesRead = 0;      // with WINHTTP_CALLBACK_STATUS_READ_COMPLETE
  char buffer[kTimePageReadSize];  // where the read writes, kept as long as WinHTTP may write to it
};

// The request handle's context value: owned by the handle from the moment it is set, and deleted
// when WinHTTP says the handle is closing, after which no callback comes.
using StateHolder = std::shared_ptr<RequestState>;

void CALLBACK OnRequestNotice(HINTERNET, DWORD_PTR context, DWORD notice, LPVOID information, DWORD length) {
  auto* holder = reinterpret_cast<StateHolder*>(context);
  if (holder == nullptr) return;
  if (notice == WINHTTP_CALLBACK_STATUS_HANDLE_CLOSING) {
    delete holder;
    return;
  }
  RequestState& state = **holder;
  std::lock_guard lock(state.mutex);
  switch (notice) {
    case WINHTTP_CALLBACK_STATUS_SECURE_FAILURE:
      if (information != nullptr) state.certificate |= *static_cast<const DWORD*>(information);
      return;
    case WINHTTP_CALLBACK_STATUS_REQUEST_ERROR:
      state.error = static_cast<const WINHTTP_ASYNC_RESULT*>(information)->dwError;
      break;
    case WINHTTP_CALLBACK_STATUS_READ_COMPLETE:
      state.bytesRead = length;
      break;
    case WINHTTP_CALLBACK_STATUS_SENDREQUEST_COMPLETE:
    case WINHTTP_CALLBACK_STATUS_HEADERS_AVAILABLE:
      break;
    default:
      return;
  }
  state.completion = notice;
  state.changed.notify_all();
}

TimePageFetch Failure(TimePageFailure stage, CallFailure failure) {
  return {std::move(failure), stage};
}
TimePageFetch Failure(TimePageFailure stage, const CallResult<>& failed) {
  return Failure(stage, {failed.Failure(), failed.FailureCode()});
}

// Why the site's certificate was refused, after the failure of the call.
std::string CertificateProblems(DWORD flags) {
  static const struct {
    DWORD flag;
    const char* problem;
  } kProblems[] = {
      {WINHTTP_CALLBACK_STATUS_FLAG_INVALID_CA, "its issuer is not trusted"},
      {WINHTTP_CALLBACK_STATUS_FLAG_CERT_CN_INVALID, "it names another host"},
      {WINHTTP_CALLBACK_STATUS_FLAG_CERT_DATE_INVALID, "it is out of its dates"},
      {WINHTTP_CALLBACK_STATUS_FLAG_INVALID_CERT, "it is invalid"},
      {WINHTTP_CALLBACK_STATUS_FLAG_CERT_REVOKED, "it is revoked"},
      {WINHTTP_CALLBACK_STATUS_FLAG_CERT_REV_FAILED, "its revocation could not be checked"},
      {WINHTTP_CALLBACK_STATUS_FLAG_SECURITY_CHANNEL_ERROR, "TLS failed"},
  };
  std::string text;
  for (const auto& p : kProblems)
    if ((flags & p.flag) != 0) text += (text.empty() ? " (the site's certificate: " : ", ") + std::string(p.problem);
  return text.empty() ? text : text + ")";
}

// The text in the system's code page as UTF-16, as the A functions of Windows take it.
std::wstring Wide(const std::string& text) {
  if (text.empty()) return {};
  const int size = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(size), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), size);
  return wide;
}

// The raw text of the response's Date header (ASCII by the protocol), empty when there is none.
std::string DateHeader(HINTERNET request) {
  wchar_t text[128];
  DWORD size = sizeof text;
  if (!WinHttpQueryHeaders(request, WINHTTP_QUERY_DATE, WINHTTP_HEADER_NAME_BY_INDEX, text, &size,
                           WINHTTP_NO_HEADER_INDEX))
    return {};
  std::string date;
  for (DWORD i = 0; i < size / sizeof(wchar_t); ++i) date += text[i] < 0x80 ? static_cast<char>(text[i]) : '?';
  return date;
}

// Opens the session: asynchronous, so that a call under way can be ended by closing its request
// (a synchronous request must never be closed while a call uses it). The proxy is found as
// Windows finds its own (WINHTTP_ACCESS_TYPE_AUTOMATIC_PROXY, Windows 8.1 and later); where
// Windows refuses that type as unknown, the WinHTTP proxy that netsh winhttp sets.
HINTERNET OpenSession() {
  HINTERNET session = WinHttpOpen(kAgent, WINHTTP_ACCESS_TYPE_AUTOMATIC_PROXY, WINHTTP_NO_PROXY_NAME,
                                  WINHTTP_NO_PROXY_BYPASS, WINHTTP_FLAG_ASYNC);
  if (session == nullptr && GetLastError() == ERROR_INVALID_PARAMETER)
    session = WinHttpOpen(kAgent, WINHTTP_ACCESS_TYPE_DEFAULT_PROXY, WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS,
                          WINHTTP_FLAG_ASYNC);
  return session;
}

// One request, its calls waited for by the fetching thread until the deadline of the fetch.
class DeadlineRequest {
 public:
  DeadlineRequest(WinHttpHandle request, Deadline deadline, uint32_t deadlineMs)
      : request_(std::move(request)), deadline_(deadline), deadlineMs_(deadlineMs) {}

  HINTERNET Get() const { return request_.Get(); }
  RequestState& State() { return *state_; }

  // Sets the request's options and hands its state to the handle's callback.
  CallResult<> Prepare(bool secure) {
    // WINHTTP_DISABLE_REDIRECTS: a redirection is an answer of its own (its Date header counts),
    // never followed, so an https:// address can never end at a plain http:// one.
    // WINHTTP_DISABLE_COOKIES: a service has nothing to remember of a site.
    DWORD disabled = WINHTTP_DISABLE_REDIRECTS | WINHTTP_DISABLE_COOKIES;
    if (!WinHttpSetOption(Get(), WINHTTP_OPTION_DISABLE_FEATURE, &disabled, sizeof disabled))
      return WindowsCallFailure("WinHttpSetOption", GetLastError());
    if (secure) {
      // The certificate's chain and host name must hold; only its dates are not checked, since
      // the clock may be wrong (that is why it is checked). Revocation is not checked either (it
      // is off unless WINHTTP_ENABLE_SSL_REVOCATION is set): its answers are dated too.
      DWORD security = SECURITY_FLAG_IGNORE_CERT_DATE_INVALID;
      if (!WinHttpSetOption(Get(), WINHTTP_OPTION_SECURITY_FLAGS, &security, sizeof security))
        return WindowsCallFailure("WinHttpSetOption", GetLastError());
    }
    if (WinHttpSetStatusCallback(Get(), OnRequestNotice, kNotices, 0) == WINHTTP_INVALID_STATUS_CALLBACK)
      return WindowsCallFailure("WinHttpSetStatusCallback", GetLastError());
    auto holder = std::make_unique<StateHolder>(state_);
    DWORD_PTR context = reinterpret_cast<DWORD_PTR>(holder.get());
    if (!WinHttpSetOption(Get(), WINHTTP_OPTION_CONTEXT_VALUE, &context, sizeof context))
      return WindowsCallFailure("WinHttpSetOption", GetLastError());
    holder.release();  // the handle's now, until its closing notice
    context_ = context;
    return {};
  }

  DWORD_PTR Context() const { return context_; }

  // Starts an asynchronous call and waits for its completion until the deadline: completed, or
  // the failure. A call still under way at the deadline, however slowly the site keeps sending,
  // is ended by closing the request.
  template <class Start>
  CallResult<> Complete(const char* call, Start start) {
    {
      std::lock_guard lock(state_->mutex);
      state_->completion = 0;
    }
    if (!start()) return WindowsCallFailure(call, GetLastError());
    std::unique_lock lock(state_->mutex);
    if (!state_->changed.wait_until(lock, deadline_, [this] { return state_->completion != 0; })) {
      lock.unlock();
      request_.Reset();
      // The fetch's own deadline, not a failure the call reported: the code of a timed-out call.
      return CallFailure{std::string(call) + " had not completed when the " + std::to_string(deadlineMs_ / 1000) +
                             " seconds for the site were over, so the request was closed",
                         ERROR_WINHTTP_TIMEOUT};
    }
    if (state_->completion == WINHTTP_CALLBACK_STATUS_REQUEST_ERROR) {
      CallFailure failure = WindowsCallFailure(call, state_->error);
      failure.text += CertificateProblems(state_->certificate);
      return failure;
    }
    return {};
  }

 private:
  WinHttpHandle request_;
  std::shared_ptr<RequestState> state_ = std::make_shared<RequestState>();
  DWORD_PTR context_ = 0;
  Deadline deadline_;
  uint32_t deadlineMs_;
};

}  // namespace

TimePageFetch WinHttpTimePageFetcher::Fetch(const std::string& url) {
  TimePageFetch fetch = FetchAnswer(url);
  if (!fetch.page) return fetch;
  TimePage page = fetch.page.Value();
  page.readUtc = clock_->UtcNow();
  page.readTick = clock_->TickMilliseconds();
  return {std::move(page)};
}

TimePageFetch WinHttpTimePageFetcher::FetchAnswer(const std::string& url) const {
  const Deadline deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(deadlineMs_);
  const ParsedTimeUrl parsed = ParseTimeUrl(url);
  // An address that cannot be used: no call was made, so there is no code.
  if (!parsed.parts) return Failure(TimePageFailure::kNotReached, CallFailure{parsed.problem});
  const TimeUrlParts& parts = *parsed.parts;

  // The handles close in reverse order: request, connection, session.
  const WinHttpHandle session(OpenSession());
  if (!session) return Failure(TimePageFailure::kNoInternetHandle, WindowsCallFailure("WinHttpOpen", GetLastError()));
  const int timeout = static_cast<int>(stepTimeoutMs_);
  if (!WinHttpSetTimeouts(session.Get(), timeout, timeout, timeout, timeout))
    return Failure(TimePageFailure::kNoInternetHandle, WindowsCallFailure("WinHttpSetTimeouts", GetLastError()));
  const WinHttpHandle connection(
      WinHttpConnect(session.Get(), Wide(parts.host).c_str(), static_cast<INTERNET_PORT>(parts.port), 0));
  if (!connection) return Failure(TimePageFailure::kNotReached, WindowsCallFailure("WinHttpConnect", GetLastError()));

  // WINHTTP_FLAG_REFRESH: from the server, never from a proxy's cache (WinHTTP keeps none of its
  // own). WINHTTP_FLAG_SECURE: TLS, with the site's certificate checked against the trusted roots.
  const DWORD flags = WINHTTP_FLAG_REFRESH | (parts.secure ? WINHTTP_FLAG_SECURE : 0);
  WinHttpHandle handle(WinHttpOpenRequest(connection.Get(), L"GET", Wide(parts.path).c_str(), nullptr,
                                          WINHTTP_NO_REFERER, WINHTTP_DEFAULT_ACCEPT_TYPES, flags));
  if (!handle) return Failure(TimePageFailure::kNotReached, WindowsCallFailure("WinHttpOpenRequest", GetLastError()));
  DeadlineRequest request(std::move(handle), deadline, deadlineMs_);
  if (const CallResult<> prepared = request.Prepare(parts.secure); !prepared)
    return Failure(TimePageFailure::kNotReached, prepared);

  if (const CallResult<> sent = request.Complete("WinHttpSendRequest", [&] {
        return WinHttpSendRequest(request.Get(), WINHTTP_NO_ADDITIONAL_HEADERS, 0, WINHTTP_NO_REQUEST_DATA, 0, 0,
                                  request.Context());
      });
      !sent)
    return Failure(TimePageFailure::kNotReached, sent);
  if (const CallResult<> received =
          request.Complete("WinHttpReceiveResponse", [&] { return WinHttpReceiveResponse(request.Get(), nullptr); });
      !received)
    return Failure(TimePageFailure::kNotReached, received);

  DWORD status = 0;
  DWORD statusSize = sizeof status;
  if (!WinHttpQueryHeaders(request.Get(), WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                           WINHTTP_HEADER_NAME_BY_INDEX, &status, &statusSize, WINHTTP_NO_HEADER_INDEX))
    return Failure(TimePageFailure::kReadFailed, WindowsCallFailure("WinHttpQueryHeaders", GetLastError()));
  TimePage page;
  page.statusCode = static_cast<int>(status);
  page.dateHeader = DateHeader(request.Get());

  // One read: its buffer lives in the request's state, which outlives a read that is given up.
  RequestState& state = request.State();
  if (const CallResult<> read = request.Complete("WinHttpReadData", [&] {
        return WinHttpReadData(request.Get(), state.buffer, sizeof state.buffer, nullptr);
      });
      !read)
    return Failure(TimePageFailure::kReadFailed, read);
  std::lock_guard lock(state.mutex);
  page.body.assign(state.buffer, state.bytesRead);
  return {std::move(page)};
}

CallResult<> WindowsSystemClockSetter::SetSystemTime(const SystemTimeRecord& utc) {
  SYSTEMTIME time = ToSystemTime({utc.year, utc.month, utc.day, utc.hour, utc.minute, utc.second, utc.milliseconds});
  time.wDayOfWeek = static_cast<WORD>(utc.dayOfWeek);
  // The system ignores wDayOfWeek; it is filled for completeness. SetSystemTime enables the
  // privilege to set the clock itself for the call.
  if (::SetSystemTime(&time)) return {};
  return WindowsCallFailure("SetSystemTime", GetLastError());
}
