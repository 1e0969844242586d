#pragma once

#include <optional>
#include <string>

// A client of the service's pipe: sends one request and returns the answer, once it has made sure
// that the service serves the pipe.
class RequestClient {
 public:
  virtual ~RequestClient() = default;
  struct Reply {
    std::optional<std::string> answer;  // nothing: no answer (failure says why)
    std::string failure;                // the call that failed and its code, or why the server is not trusted
    bool notTheService = false;         // another program serves the pipe: nothing was sent to it
  };
  virtual Reply Ask(const std::string& request) = 0;
};
