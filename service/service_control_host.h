#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "base/call_result.h"

// What the service host needs from the service control manager and the system, as seen by the
// portable host logic. The Windows implementation is in service_control_host_win.cpp; the tests use
// fakes.

// The record passed to the service control manager on every change of state.
struct ServiceStatusRecord {
  uint32_t serviceType = 0;
  uint32_t currentState = 0;
  uint32_t controlsAccepted = 0;
  uint32_t win32ExitCode = 0;
  uint32_t serviceSpecificExitCode = 0;
  uint32_t checkPoint = 0;
  uint32_t waitHint = 0;
};

// Every entry goes to the event log with this event id and category; the message table compiled
// into hourwarden.exe (service/event_messages.mc) holds message 0 as "%1", the entry's one string.
inline constexpr uint32_t kEventId = 0;
inline constexpr uint16_t kEventCategory = 0;

// Writes messages to the system event log, each as one error entry, under one source that is
// registered on first use and deregistered with the logger.
class EventLogger {
 public:
  virtual ~EventLogger() = default;
  virtual void LogMessage(const std::string& message) = 0;
};

// A message taken from the service thread's queue: a forwarded control code, or anything else,
// which is dispatched as usual.
struct QueuedRequest {
  bool isControl = false;
  uint32_t controlCode = 0;
  std::shared_ptr<void> osMessage;  // the system's message record for dispatching
};

// The message queue of the service thread. It is created on that thread; Post may be called
// from any thread.
class RequestQueue {
 public:
  virtual ~RequestQueue() = default;
  // Queues a control code as a thread message; false when it could not be posted.
  virtual bool Post(uint32_t controlCode) = 0;
  // Takes the next message; with wait it waits for one. False when there is none (or on quit).
  virtual bool Next(QueuedRequest& request, bool wait) = 0;
  // Hands a message that is not a control request to its window.
  virtual void Dispatch(const QueuedRequest& request) = 0;
};

class ServiceControlHost {
 public:
  virtual ~ServiceControlHost() = default;
  // Registers the control handler for the service name.
  virtual CallResult<> RegisterControlHandler(const std::string& serviceName,
                                              std::function<void(uint32_t)> handler) = 0;
  // Reports the status to the service control manager.
  virtual CallResult<> ReportStatus(const ServiceStatusRecord& status) = 0;
  // Creates the message queue of the calling thread.
  virtual std::unique_ptr<RequestQueue> CreateRequestQueue() = 0;
  // A new event logger with the given source name.
  virtual std::unique_ptr<EventLogger> CreateEventLogger(const std::string& source) = 0;
  // Runs the body on a new thread; std::system_error when no thread can be made.
  virtual std::thread StartThread(std::function<void()> body) { return std::thread(std::move(body)); }
};
