#pragma once

#include <string>

#include "platform/dialogs_win.h"
#include "platform/module_path_win.h"
#include "platform/service_handle_win.h"
#include "service/service_control_host_win.h"
#include "service/service_application.h"
#include "service/service_installer.h"

// The service control manager's database.
class WindowsServiceManager : public ServiceManager {
 public:
  ~WindowsServiceManager() override { Close(); }
  CallResult<> Open() override;
  void Close() override;
  CallResult<> CreateServiceEntry(const ServiceInstallation& installation) override;
  CallResult<> DeleteServiceEntry(const std::string& name) override;
  std::string ErrorText(uint32_t code) override;

 private:
  ServiceHandle manager_;
};

// The run under the service control manager: a start thread calls the dispatcher while this
// (the main) thread runs the message loop that delivers the timer ticks; the loop ends when the
// dispatcher returns. The application's own event logger (source: the executable's file name)
// receives a dispatcher error and the exceptions that reach the loop.
void RunServiceMode(TServiceApplication& application, WindowsServiceControlHost& host, EventLogger& applicationLog);
