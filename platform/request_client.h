#pragma once

#include <cstdint>
#include <string>

#include "base/call_result.h"

// The failure code of a reply that another program serves the service's pipe, so that nothing was
// sent to it: a code of this program's own (bit 29 set), which no Windows call gives.
inline constexpr uint32_t kNotTheServiceFailure = 0x20000002;

// A client of the service's pipe: sends one request and returns the answer, once it has made sure
// that the service serves the pipe.
class RequestClient {
 public:
  virtual ~RequestClient() = default;
  // The answer, or why there is none: the call that failed and its code, or why the pipe's server
  // is not trusted (kNotTheServiceFailure).
  using Reply = CallResult<std::string>;
  virtual Reply Ask(const std::string& request) = 0;
};

// True when another program serves the pipe: nothing was sent to it.
inline bool NotTheService(const RequestClient::Reply& reply) {
  return !reply && reply.FailureCode() == kNotTheServiceFailure;
}
