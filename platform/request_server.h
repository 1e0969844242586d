#pragma once

#include <functional>
#include <memory>
#include <string>

// A local server of short requests from programs of the users' sessions. It only moves bytes and
// identities: what it learnt of each connection goes to the handler, whose answer it sends. The
// server runs on threads of its own: it is stopped, and they are joined, when the object is
// destroyed.
class RequestServer {
 public:
  virtual ~RequestServer() = default;
};

// What the server learnt of one connection.
struct ClientRequest {
  enum class Outcome {
    kRequest,    // a request came: text holds it
    kOversized,  // a request longer than the longest there is came; it was not read
    kSilent,     // the client sent nothing in time and was dropped; no answer goes to it
  };
  Outcome outcome = Outcome::kRequest;
  // The client's account, from its own token (never a name the client sent); empty when it could
  // not be learnt, and accountFailure then says why (the call and its code).
  std::string account;
  std::string accountFailure;
  std::string text;
  std::string sid;  // the client account's identifier, "S-1-5-21-..."; empty when it could not be learnt
};

// The answer to the connection (ignored for a silent client).
using RequestHandler = std::function<std::string(const ClientRequest& request)>;
// Receives what went wrong in the server itself (the call and its code).
using ServerFailureHandler = std::function<void(const std::string& failure)>;
// Builds and starts a server; its endpoint exists when the call returns, unless it could not be
// made (reported to onFailure, and tried again while the server runs).
using RequestServerFactory =
    std::function<std::unique_ptr<RequestServer>(RequestHandler onRequest, ServerFailureHandler onFailure)>;
