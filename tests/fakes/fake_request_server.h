#pragma once

#include <string>
#include <vector>

#include "platform/request_server.h"

// Stands in for the pipe: the test sends requests to the handler the service gave, from any
// thread, and sees when the server was started and stopped.
class FakeRequestServers {
 public:
  class Server : public RequestServer {
   public:
    Server(FakeRequestServers& owner, RequestHandler handler) : owner_(owner), handler_(std::move(handler)) {
      owner_.live_ = this;
      ++owner_.started;
    }
    ~Server() override {
      owner_.live_ = nullptr;
      ++owner_.stopped;
    }
    std::string Ask(const std::string& account, const std::string& request) {
      return Send({ClientRequest::Outcome::kRequest, account, {}, request, {}});
    }
    std::string Send(const ClientRequest& request) { return handler_(request); }

   private:
    FakeRequestServers& owner_;
    RequestHandler handler_;
  };

  RequestServerFactory Factory() {
    return [this](RequestHandler onRequest, ServerFailureHandler onFailure) -> std::unique_ptr<RequestServer> {
      if (!failure.empty()) onFailure(failure);
      return std::make_unique<Server>(*this, std::move(onRequest));
    };
  }
  // The server that runs now, or nullptr.
  Server* Live() const { return live_; }

  int started = 0;
  int stopped = 0;
  std::string failure;  // reported by every start when not empty

 private:
  Server* live_ = nullptr;
};
