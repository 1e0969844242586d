#include "service/service_control_host_win.h"

#include "platform/wide_text_win.h"
#include "platform/win_error.h"

namespace {

// A forwarded control code arrives as this thread message, one above the first user message,
// with the code as its first parameter.
constexpr UINT kControlCodeMessage = WM_USER + 1;

// The control handler of the process's one service; the service control manager gives the
// handler no context, so the process keeps it here.
std::function<void(uint32_t)>& ControlHandler() {
  static std::function<void(uint32_t)> handler;
  return handler;
}

void WINAPI ControlHandlerEntry(DWORD code) {
  if (ControlHandler()) ControlHandler()(code);
}

class WindowsRequestQueue : public RequestQueue {
 public:
  WindowsRequestQueue() : thread_(GetCurrentThreadId()) {
    MSG message;
    PeekMessageA(&message, nullptr, WM_USER, WM_USER, PM_NOREMOVE);  // creates the thread's queue
  }
  bool Post(uint32_t controlCode) override {
    return PostThreadMessageA(thread_, kControlCodeMessage, controlCode, 0) != 0;
  }
  bool Next(QueuedRequest& request, bool wait) override {
    auto message = std::make_shared<MSG>();
    if (wait) {
      if (GetMessageA(message.get(), nullptr, 0, 0) <= 0) return false;
    } else if (!PeekMessageA(message.get(), nullptr, 0, 0, PM_REMOVE)) {
      return false;
    }
    request.isControl = message->hwnd == nullptr && message->message == kControlCodeMessage;
    request.controlCode = static_cast<uint32_t>(message->wParam);
    request.osMessage = message;
    return true;
  }
  void Dispatch(const QueuedRequest& request) override {
    DispatchMessageA(static_cast<const MSG*>(request.osMessage.get()));
  }

 private:
  DWORD thread_;
};

}  // namespace

TEventLogger::~TEventLogger() {
  if (eventLog_ != nullptr) DeregisterEventSource(eventLog_);
}

void TEventLogger::LogMessage(const std::string& message) {
  if (eventLog_ == nullptr) eventLog_ = RegisterEventSourceW(nullptr, WideFromUtf8(source_).c_str());
  if (eventLog_ == nullptr) return;
  // The message in UTF-16, so that a name in any alphabet reads rightly in the Event Viewer.
  const std::wstring wide = WideFromUtf8(message);
  const wchar_t* strings[] = {wide.c_str()};
  ReportEventW(eventLog_, EVENTLOG_ERROR_TYPE, kEventCategory, kEventId, nullptr, 1, 0, strings, nullptr);
}

CallResult<> WindowsServiceControlHost::RegisterControlHandler(const std::string& serviceName,
                                                                std::function<void(uint32_t)> handler) {
  ControlHandler() = std::move(handler);
  statusHandle_ = RegisterServiceCtrlHandlerA(serviceName.c_str(), ControlHandlerEntry);
  if (statusHandle_ == nullptr) return WindowsCallFailure("RegisterServiceCtrlHandlerA", GetLastError());
  return {};
}

CallResult<> WindowsServiceControlHost::ReportStatus(const ServiceStatusRecord& status) {
  SERVICE_STATUS record{};
  record.dwServiceType = status.serviceType;
  record.dwCurrentState = status.currentState;
  record.dwControlsAccepted = status.controlsAccepted;
  record.dwWin32ExitCode = status.win32ExitCode;
  record.dwServiceSpecificExitCode = status.serviceSpecificExitCode;
  record.dwCheckPoint = status.checkPoint;
  record.dwWaitHint = status.waitHint;
  if (!SetServiceStatus(statusHandle_, &record)) return WindowsCallFailure("SetServiceStatus", GetLastError());
  return {};
}

std::unique_ptr<RequestQueue> WindowsServiceControlHost::CreateRequestQueue() {
  return std::make_unique<WindowsRequestQueue>();
}

std::unique_ptr<EventLogger> WindowsServiceControlHost::CreateEventLogger(const std::string& source) {
  return std::make_unique<TEventLogger>(source);
}
