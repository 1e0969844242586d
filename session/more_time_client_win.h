#pragma once

#include <string>

#include "session/more_time_client.h"

// The service's pipe, as a client: waits up to 10 s for it to be free, then sends the request and
// waits up to 20 s for the answer (the service answers between its minute cycles). The pipe is
// opened for identification only: the service learns who asks but cannot act as the user.
class PipeMoreTimeClient : public MoreTimeClient {
 public:
  explicit PipeMoreTimeClient(std::string pipeName);
  Reply Ask(const std::string& request) override;

 private:
  std::string pipeName_;
};
