#pragma once

#include <cstdint>
#include <string>

#include "platform/installed_service.h"
#include "parentcode/pipe_server_check.h"
#include "platform/request_client.h"

// The service's pipe, as a client: waits up to 10 s for an instance to be free, makes sure the
// service serves it (the process the service control manager runs the service in, as
// LocalSystem, in the services' session), then sends the request and waits up to 20 s for the
// answer (the service answers between its minute cycles). The pipe is opened for identification
// only: the service learns who asks but cannot act as the user.
class PipeRequestClient : public RequestClient {
 public:
  PipeRequestClient(std::string pipeName, std::string serviceName, const InstalledServiceSource& services,
                    uint32_t servicesSession = kServicesSession);
  Reply Ask(const std::string& request) override;

 private:
  std::string pipeName_;
  std::string serviceName_;
  const InstalledServiceSource& services_;
  uint32_t servicesSession_;
};
