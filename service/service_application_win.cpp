#include "service/service_application_win.h"

#include <thread>

#include "base/scope_guard.h"
#include "base/string_list.h"
#include "platform/wide_text_win.h"
#include "platform/win_error.h"

namespace {

// The process-wide reference to the one service, for the service-main entry, which the service
// control manager calls without context.
TService* g_service = nullptr;

void WINAPI ServiceMainEntry(DWORD argc, LPSTR* argv) {
  std::vector<std::string> arguments(argv, argv + argc);
  if (g_service == nullptr || arguments.empty() || !SameText(arguments[0], g_service->Name)) return;
  g_service->Main(arguments);
}

// The hidden application window. It ignores WM_ENDSESSION, so that a user's logoff does not end
// the service process.
LRESULT CALLBACK ApplicationWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_ENDSESSION) return 0;
  return DefWindowProcA(window, message, wParam, lParam);
}

HWND CreateApplicationWindow(const std::string& title) {
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = ApplicationWindowProc;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.lpszClassName = "HourwardenApplication";
  RegisterClassA(&windowClass);
  return CreateWindowExA(0, windowClass.lpszClassName, title.c_str(), WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                         GetModuleHandleA(nullptr), nullptr);
}

}  // namespace

CallResult<> WindowsServiceManager::Open() {
  // SC_MANAGER_ALL_ACCESS (0xF003F) on the local machine's default database.
  manager_ = ServiceHandle(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
  if (!manager_) return WindowsCallFailure("OpenSCManagerA", GetLastError());
  return {};
}

void WindowsServiceManager::Close() { manager_.Reset(); }

CallResult<> WindowsServiceManager::CreateServiceEntry(const ServiceInstallation& installation) {
  // The texts in UTF-16: the program's path may hold any alphabet.
  const std::wstring name = WideFromUtf8(installation.name);
  const std::wstring displayName = WideFromUtf8(installation.displayName);
  const std::wstring binaryPath = WideFromUtf8(installation.binaryPath);
  const std::wstring group = WideFromUtf8(installation.loadOrderGroup);
  const std::wstring startName = WideFromUtf8(installation.startName);
  const std::wstring password = WideFromUtf8(installation.password);
  const ServiceHandle service(CreateServiceW(
      manager_.Get(), name.c_str(), displayName.c_str(), SERVICE_ALL_ACCESS, installation.serviceType,
      installation.startType, installation.errorControl, binaryPath.c_str(), group.empty() ? nullptr : group.c_str(),
      nullptr, nullptr, startName.empty() ? nullptr : startName.c_str(),
      startName.empty() ? nullptr : password.c_str()));
  if (!service) return WindowsCallFailure("CreateServiceW", GetLastError());
  // Restart after a failure, three times alike (the last action repeats for every later one). The
  // handle has SERVICE_CHANGE_CONFIG, and SERVICE_START, which restart actions ask for too.
  SC_ACTION restarts[3];
  for (SC_ACTION& action : restarts) action = {SC_ACTION_RESTART, installation.restartDelayMs};
  SERVICE_FAILURE_ACTIONSA failureActions{};
  failureActions.dwResetPeriod = installation.failureResetSeconds;
  failureActions.cActions = 3;
  failureActions.lpsaActions = restarts;
  // With the flag, a run that stops with an exit code (a failed start) is restarted as a crash is.
  // The structure holds no text, so the wide call takes it as it is; a service manager that does
  // not know the setting at all answers ERROR_INVALID_LEVEL (Wine does; Windows knows it since
  // Vista), and then the service is restarted after a crash only, as before the setting existed.
  SERVICE_FAILURE_ACTIONS_FLAG flag{installation.failureActionsOnNonCrashFailures ? TRUE : FALSE};
  CallResult<> result;
  if (!ChangeServiceConfig2A(service.Get(), SERVICE_CONFIG_FAILURE_ACTIONS, &failureActions))
    result = WindowsCallFailure("ChangeServiceConfig2A", GetLastError());
  else if (!ChangeServiceConfig2W(service.Get(), SERVICE_CONFIG_FAILURE_ACTIONS_FLAG, &flag) &&
           GetLastError() != ERROR_INVALID_LEVEL)
    result = WindowsCallFailure("ChangeServiceConfig2W", GetLastError());
  // A service without its failure actions is not left behind half installed.
  if (!result) ::DeleteService(service.Get());
  return result;
}

CallResult<> WindowsServiceManager::DeleteServiceEntry(const std::string& name) {
  const ServiceHandle service(OpenServiceA(manager_.Get(), name.c_str(), SERVICE_ALL_ACCESS));
  if (!service) return WindowsCallFailure("OpenServiceA", GetLastError());
  if (!::DeleteService(service.Get())) return WindowsCallFailure("DeleteService", GetLastError());
  return {};
}

std::string WindowsServiceManager::ErrorText(uint32_t code) { return SystemErrorText(code); }

void RunServiceMode(TServiceApplication& application, WindowsServiceControlHost& host, EventLogger& applicationLog) {
  TService* service = application.Service();
  // The service-main entry finds the service only while this run lasts, however it ends.
  g_service = service;
  const ScopeGuard forget([] { g_service = nullptr; });
  service->AttachHost(&host);
  HWND window = CreateApplicationWindow(application.Title);
  const ScopeGuard destroyWindow([window] {
    if (window != nullptr) DestroyWindow(window);
  });
  const DWORD mainThread = GetCurrentThreadId();

  DWORD dispatcherResult = 0;
  std::thread startThread([&] {
    std::string name = service->Name;
    SERVICE_TABLE_ENTRYA table[] = {{name.data(), ServiceMainEntry}, {nullptr, nullptr}};
    dispatcherResult = StartServiceCtrlDispatcherA(table) ? 0 : GetLastError();
    if (window == nullptr || !PostMessageA(window, WM_QUIT, 0, 0)) PostThreadMessageA(mainThread, WM_QUIT, 0, 0);
  });

  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  startThread.join();
  if (dispatcherResult != 0) applicationLog.LogMessage(SystemErrorText(dispatcherResult));
}
