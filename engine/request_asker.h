#pragma once

#include <string>

struct ServiceState;

// Who a request on the pipe that changes a user's day comes from: the restricted user it may go on
// for, or the answer that refuses it.
struct RequestAsker {
  int index = -1;        // into the service's restricted users, when the request may go on
  std::string refusal;   // the refusing answer, when it may not
};

// Refuses a request while the time is not confirmed yet, or from an account that is not restricted,
// with a level-2 line that begins with `from`.
RequestAsker CheckRequestAsker(ServiceState& service, const std::string& accountName, const std::string& from);
