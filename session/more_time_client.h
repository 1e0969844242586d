#pragma once

#include <optional>
#include <string>

// The session tool's way to the service for more time: sends one request, returns the answer.
class MoreTimeClient {
 public:
  virtual ~MoreTimeClient() = default;
  struct Reply {
    std::optional<std::string> answer;  // nothing: the service could not be reached
    std::string failure;                // then: the call that failed and its code
  };
  virtual Reply Ask(const std::string& request) = 0;
};
