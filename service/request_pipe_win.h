#pragma once

#include <windows.h>

#include <string>
#include <thread>

#include "platform/request_server.h"
#include "platform/unique_handle_win.h"

// The access list of the pipe, in the system's descriptor language. D:P: protected from what is
// inherited. IU (interactive users, every program of a logged-on user's session) may read and
// write (0x12019B: FILE_GENERIC_READ | FILE_GENERIC_WRITE without FILE_CREATE_PIPE_INSTANCE, so
// no user can add an instance of their own); SY (LocalSystem) and BA (the Administrators) have all
// access (FA). Nobody else may open it.
inline constexpr char kRequestPipeSddl[] = "D:P(A;;0x12019b;;;IU)(A;;FA;;;SY)(A;;FA;;;BA)";

// How long the server waits for the parts of one conversation, and before it tries again to make
// a pipe it could not make.
struct RequestPipeTimings {
  DWORD requestMs = 5000;   // from the connection to the request: a client that sends nothing goes
  DWORD answerMs = 5000;    // for the answer to be written, and then for the client to close
  DWORD retryMs = 60000;    // between tries to make the pipe
};

// The pipe of the requests for more time: one instance, made with FILE_FLAG_FIRST_PIPE_INSTANCE
// so that the service never serves a pipe another program made first, taking one short request
// per connection. The account is the client's own, from its token (the thread impersonates the
// client only to read it). Runs on a thread of its own; the destructor stops it and joins it.
class RequestPipeServer : public RequestServer {
 public:
  RequestPipeServer(std::string pipeName, RequestHandler onRequest, ServerFailureHandler onFailure,
                    RequestPipeTimings timings = {});
  ~RequestPipeServer() override;
  RequestPipeServer(const RequestPipeServer&) = delete;
  RequestPipeServer& operator=(const RequestPipeServer&) = delete;

 private:
  bool MakePipe();
  void Run();
  // Serves the client connected now; false when the server must end (it could not stop
  // impersonating the client).
  bool Converse();
  // The client's account name, or why it is not known; false when RevertToSelf failed.
  bool ClientAccount(std::string& account, std::string& failure);

  std::string pipeName_;
  RequestHandler onRequest_;
  ServerFailureHandler onFailure_;
  RequestPipeTimings timings_;
  UniqueHandle stop_;
  UniqueHandle pipe_;
  std::thread thread_;
};
