#pragma once

#include <functional>
#include <memory>
#include <string>

// A local server of short requests from programs of the users' sessions. Each request arrives
// with the account it came from, as the platform found it in the client's own token (never a
// name the client sent), and gets one answer. The server runs on a thread of its own: it is
// stopped, and that thread joined, when the object is destroyed.
class RequestServer {
 public:
  virtual ~RequestServer() = default;
};

// The answer to one request from the account.
using RequestHandler = std::function<std::string(const std::string& accountName, const std::string& request)>;
// Receives what went wrong in the server (the call and its code).
using ServerFailureHandler = std::function<void(const std::string& failure)>;
// Builds and starts a server; its endpoint exists when the call returns, unless it could not be
// made (reported to onFailure, and tried again while the server runs).
using RequestServerFactory =
    std::function<std::unique_ptr<RequestServer>(RequestHandler onRequest, ServerFailureHandler onFailure)>;
