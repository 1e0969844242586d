#pragma once

// A one-shot HTTP server on 127.0.0.1 for the tests of the Windows internet fetch: it listens at a
// port the system picks, answers the first request with a canned response (or, as a site that
// hangs, never answers it, or sends it one byte every 200 ms) and records the request.

#include <winsock2.h>
#include <ws2tcpip.h>

#include <atomic>
#include <chrono>
#include <future>
#include <string>
#include <thread>

class LoopbackHttpServer {
 public:
  enum Manner { kAnswers, kNeverAnswers, kTrickles };

  explicit LoopbackHttpServer(std::string response, Manner manner = kAnswers) : manner_(manner) {
    WSADATA data;
    started_ = WSAStartup(MAKEWORD(2, 2), &data) == 0;
    listener_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    int length = sizeof address;
    if (listener_ != INVALID_SOCKET && bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        listen(listener_, 1) == 0 && getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) == 0)
      port_ = ntohs(address.sin_port);
    request_ = requestPromise_.get_future();
    thread_ = std::thread([this, response = std::move(response)] { Serve(response); });
  }

  ~LoopbackHttpServer() {
    stop_ = true;
    thread_.join();
    if (listener_ != INVALID_SOCKET) closesocket(listener_);
    if (started_) WSACleanup();
  }
  LoopbackHttpServer(const LoopbackHttpServer&) = delete;
  LoopbackHttpServer& operator=(const LoopbackHttpServer&) = delete;

  // 0 when the server could not listen.
  int Port() const { return port_; }
  std::string Url(const std::string& path) const { return "http://127.0.0.1:" + std::to_string(port_) + path; }
  // The request line and headers received; empty when none came within five seconds.
  std::string Request() {
    if (request_.wait_for(std::chrono::seconds(5)) != std::future_status::ready) return {};
    return request_.get();
  }

  // A response with the status line's code and text, the extra header lines and the body.
  static std::string Response(const std::string& status, const std::string& headers, const std::string& body) {
    return "HTTP/1.1 " + status + "\r\n" + headers + "Content-Type: text/html\r\nContent-Length: " +
           std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
  }

 private:
  // True when the socket has something to read within the milliseconds.
  static bool Readable(SOCKET socket, int milliseconds) {
    fd_set set;
    FD_ZERO(&set);
    FD_SET(socket, &set);
    timeval wait{milliseconds / 1000, (milliseconds % 1000) * 1000};
    return select(0, &set, nullptr, nullptr, &wait) == 1;
  }

  void Serve(const std::string& response) {
    std::string request;
    while (!stop_ && port_ != 0) {
      if (!Readable(listener_, 50)) continue;
      SOCKET client = accept(listener_, nullptr, nullptr);
      if (client == INVALID_SOCKET) break;
      char buffer[4096];
      while (request.find("\r\n\r\n") == std::string::npos && Readable(client, 5000)) {
        const int received = recv(client, buffer, sizeof buffer, 0);
        if (received <= 0) break;
        request.append(buffer, static_cast<size_t>(received));
      }
      if (manner_ != kAnswers) {
        // Keeps the connection open until the server is destroyed, silent or sending a byte at a time.
        for (size_t sent = 0; !stop_; Sleep(manner_ == kTrickles ? 200 : 20))
          if (manner_ == kTrickles && sent < response.size()) send(client, &response[sent++], 1, 0);
        closesocket(client);
        break;
      }
      send(client, response.data(), static_cast<int>(response.size()), 0);
      shutdown(client, SD_SEND);
      // Let the client read the whole response before the connection goes away.
      while (Readable(client, 2000) && recv(client, buffer, sizeof buffer, 0) > 0) {
      }
      closesocket(client);
      break;
    }
    requestPromise_.set_value(request);
  }

  Manner manner_ = kAnswers;
  bool started_ = false;
  SOCKET listener_ = INVALID_SOCKET;
  int port_ = 0;
  std::atomic<bool> stop_{false};
  std::promise<std::string> requestPromise_;
  std::future<std::string> request_;
  std::thread thread_;
};
