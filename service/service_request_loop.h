#pragma once

// The host side of the service thread, as ServiceExecute sees it: the loop that processes the
// control requests (stop, shutdown, interrogate) forwarded by the service control manager.
class ServiceRequestLoop {
 public:
  virtual ~ServiceRequestLoop() = default;
  // True once a stop or shutdown request has ended the service thread's work.
  virtual bool Terminated() const = 0;
  // Processes the pending requests; with waitForMessage it first waits for the next one.
  virtual void ProcessRequests(bool waitForMessage) = 0;
};
