#include "platform/timer_win.h"

#include <windows.h>

#include <exception>

#include "platform/win_error.h"

namespace {

constexpr UINT_PTR kTimerId = 1;
// Posted to the window when the timer is switched from another thread: SetTimer and KillTimer
// must be called by the thread that owns the window.
constexpr UINT kApplyEnabledMessage = WM_APP + 1;
constexpr char kWindowClass[] = "HourwardenTimerWindow";

// The failure of the call just made, with the thread's last error.
CallFailure LastFailure(const char* call) { return {DescribeWindowsFailure(call, GetLastError())}; }

}  // namespace

long long __stdcall WindowsTimer::WindowProc(void* window, unsigned message, unsigned long long wParam,
                                             long long lParam) {
  HWND hwnd = static_cast<HWND>(window);
  auto* self = reinterpret_cast<WindowsTimer*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  if (self != nullptr) {
    if (message == WM_TIMER && wParam == kTimerId) {
      self->Tick();
      return 0;
    }
    if (message == kApplyEnabledMessage) {
      self->Apply(wParam != 0);
      return 0;
    }
  }
  return DefWindowProcA(hwnd, message, static_cast<WPARAM>(wParam), static_cast<LPARAM>(lParam));
}

WindowsTimer::WindowsTimer(int intervalMs, std::function<void()> onTick,
                           std::function<void(const std::string&)> onError)
    : intervalMs_(intervalMs), onTick_(std::move(onTick)), onError_(std::move(onError)) {
  ownerThread_ = GetCurrentThreadId();
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = reinterpret_cast<WNDPROC>(&WindowsTimer::WindowProc);
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.lpszClassName = kWindowClass;
  // A second timer of the process finds the class registered already.
  if (RegisterClassA(&windowClass) == 0 && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
    readiness_ = LastFailure("RegisterClassA");
    return;
  }
  HWND hwnd = CreateWindowExA(0, kWindowClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                              GetModuleHandleA(nullptr), nullptr);
  if (hwnd == nullptr) {
    readiness_ = LastFailure("CreateWindowExA");
    return;
  }
  SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  window_ = hwnd;
  // Set once and killed again on the owning thread: a timer that cannot be set is known before
  // anyone relies on its ticks.
  if (SetTimer(hwnd, kTimerId, static_cast<UINT>(intervalMs_), nullptr) == 0)
    readiness_ = LastFailure("SetTimer");
  else
    KillTimer(hwnd, kTimerId);
}

WindowsTimer::~WindowsTimer() {
  if (window_ != nullptr) {
    KillTimer(static_cast<HWND>(window_), kTimerId);
    SetWindowLongPtrA(static_cast<HWND>(window_), GWLP_USERDATA, 0);
    if (GetCurrentThreadId() == ownerThread_) DestroyWindow(static_cast<HWND>(window_));
  }
}

void WindowsTimer::SetEnabled(bool enabled) {
  enabled_ = enabled;
  if (window_ == nullptr) return;
  if (GetCurrentThreadId() == ownerThread_)
    Apply(enabled);
  else if (!PostMessageA(static_cast<HWND>(window_), kApplyEnabledMessage, enabled ? 1 : 0, 0) && onError_)
    onError_(LastFailure("PostMessageA").text);
}

void WindowsTimer::Apply(bool enabled) {
  if (enabled && enabled_) {
    if (SetTimer(static_cast<HWND>(window_), kTimerId, static_cast<UINT>(intervalMs_), nullptr) == 0 && onError_)
      onError_(LastFailure("SetTimer").text);
  } else {
    KillTimer(static_cast<HWND>(window_), kTimerId);
  }
}

void WindowsTimer::Tick() {
  if (!enabled_) return;
  try {
    onTick_();
  } catch (const std::exception& error) {
    if (onError_) onError_(error.what());
  } catch (...) {
    if (onError_) onError_("Unknown exception in a timer tick");
  }
}
