#pragma once

#include <windows.h>

#include "service/service_control_host.h"

// The event log under one source, registered on first use and deregistered with the logger.
class TEventLogger : public EventLogger {
 public:
  explicit TEventLogger(std::string source) : source_(std::move(source)) {}
  ~TEventLogger() override;
  void LogMessage(const std::string& message) override;

 private:
  std::string source_;
  HANDLE eventLog_ = nullptr;
};

// The service control manager's side of a running service.
class WindowsServiceControlHost : public ServiceControlHost {
 public:
  CallResult<> RegisterControlHandler(const std::string& serviceName, std::function<void(uint32_t)> handler) override;
  CallResult<> ReportStatus(const ServiceStatusRecord& status) override;
  std::unique_ptr<RequestQueue> CreateRequestQueue() override;
  std::unique_ptr<EventLogger> CreateEventLogger(const std::string& source) override;

 private:
  SERVICE_STATUS_HANDLE statusHandle_ = nullptr;
};
