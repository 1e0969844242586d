#pragma once

#include <condition_variable>
#include <deque>
#include <mutex>
#include <string>
#include <system_error>
#include <vector>

#include "service/service_control_host.h"
#include "service/service_status.h"

// A message queue in memory; Next with wait blocks until a message arrives or Quit is called.
class FakeRequestQueue : public RequestQueue {
 public:
  bool Post(uint32_t controlCode) override {
    {
      std::lock_guard lock(mutex_);
      queue_.push_back(controlCode);
    }
    arrived_.notify_all();
    return true;
  }
  bool Next(QueuedRequest& request, bool wait) override {
    std::unique_lock lock(mutex_);
    if (wait) arrived_.wait(lock, [this] { return !queue_.empty() || quit_; });
    if (queue_.empty()) return false;
    request.isControl = true;
    request.controlCode = queue_.front();
    queue_.pop_front();
    return true;
  }
  void Dispatch(const QueuedRequest&) override {}

 private:
  std::mutex mutex_;
  std::condition_variable arrived_;
  std::deque<uint32_t> queue_;
  bool quit_ = false;
};

class FakeEventLogger : public EventLogger {
 public:
  FakeEventLogger(std::vector<std::string>& messages, std::mutex& mutex) : messages_(messages), mutex_(mutex) {}
  void LogMessage(const std::string& message) override {
    std::lock_guard lock(mutex_);
    messages_.push_back(message);
  }

 private:
  std::vector<std::string>& messages_;
  std::mutex& mutex_;
};

// Records the status reports and event-log messages; the test sends control codes through the
// handler the service registered.
class FakeServiceControlHost : public ServiceControlHost {
 public:
  CallResult<> RegisterControlHandler(const std::string& serviceName, std::function<void(uint32_t)> handler) override {
    registeredName = serviceName;
    controlHandler = std::move(handler);
    if (!registrationSucceeds) return CallFailure{"RegisterServiceCtrlHandlerA failed with error 1063", 1063};
    return {};
  }
  CallResult<> ReportStatus(const ServiceStatusRecord& status) override {
    {
      std::lock_guard lock(mutex_);
      reports.push_back(status);
    }
    reported_.notify_all();
    if (!reportsSucceed) return CallFailure{"SetServiceStatus failed with error 6", 6};
    return {};
  }
  std::unique_ptr<RequestQueue> CreateRequestQueue() override { return std::make_unique<FakeRequestQueue>(); }
  std::thread StartThread(std::function<void()> body) override {
    if (failThreadStart) throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
    return ServiceControlHost::StartThread(std::move(body));
  }
  std::unique_ptr<EventLogger> CreateEventLogger(const std::string& source) override {
    eventSources.push_back(source);
    return std::make_unique<FakeEventLogger>(eventMessages, mutex_);
  }

  // Waits until a report of the state has been made.
  void WaitForState(TCurrentStatus state) {
    std::unique_lock lock(mutex_);
    reported_.wait(lock, [&] {
      for (const ServiceStatusRecord& report : reports)
        if (report.currentState == static_cast<uint32_t>(state)) return true;
      return false;
    });
  }
  // Waits until at least `count` reports have been made.
  void WaitForReports(size_t count) {
    std::unique_lock lock(mutex_);
    reported_.wait(lock, [&] { return reports.size() >= count; });
  }
  std::vector<ServiceStatusRecord> Reports() {
    std::lock_guard lock(mutex_);
    return reports;
  }
  std::vector<std::string> EventMessages() {
    std::lock_guard lock(mutex_);
    return eventMessages;
  }

  std::string registeredName;
  std::function<void(uint32_t)> controlHandler;
  bool registrationSucceeds = true;
  bool reportsSucceed = true;
  bool failThreadStart = false;
  std::vector<std::string> eventSources;

 private:
  std::mutex mutex_;
  std::condition_variable reported_;
  std::vector<ServiceStatusRecord> reports;
  std::vector<std::string> eventMessages;
};
