#pragma once

#include <windows.h>

#include <string>
#include <thread>
#include <vector>

#include "parentcode/more_time_protocol.h"
#include "platform/request_server.h"
#include "platform/unique_handle_win.h"

// The access list of the pipe, in the system's descriptor language. D:P: protected from what is
// inherited. IU (interactive users, every program of a logged-on user's session) may read and
// write (0x12019B: FILE_GENERIC_READ | FILE_GENERIC_WRITE without FILE_CREATE_PIPE_INSTANCE, so
// no user can add an instance of their own); SY (LocalSystem) and BA (the Administrators) have all
// access (FA). Nobody else may open it.
inline constexpr char kRequestPipeSddl[] = "D:P(A;;0x12019b;;;IU)(A;;FA;;;SY)(A;;FA;;;BA)";

// The instances of the pipe, each served by a thread of its own, so that a client that connects
// and says nothing keeps nobody else out.
inline constexpr DWORD kRequestPipeInstances = 4;

// How long the server waits for the parts of one conversation, and before it tries again to make
// a pipe it could not make.
struct RequestPipeTimings {
  DWORD requestMs = kRequestWaitMs;  // from the connection to the request: a silent client goes
  DWORD answerMs = kRequestWaitMs;   // for the rest of a long request, for the answer to be
                                     // written, and then for the client to close
  DWORD retryMs = 60000;             // between tries to make the pipe, or to connect after a failure
};

// The pipe of the requests to the service: kRequestPipeInstances instances, the first made with
// FILE_FLAG_FIRST_PIPE_INSTANCE so that the service never serves a pipe another program made
// first, taking one short request per connection. Each connection's request, the client's account
// (from its token: the thread impersonates the client only to read it) or what went wrong goes to
// the handler, and its answer back. The destructor stops the threads and joins them.
class RequestPipeServer : public RequestServer {
 public:
  RequestPipeServer(std::string pipeName, RequestHandler onRequest, ServerFailureHandler onFailure,
                    RequestPipeTimings timings = {});
  ~RequestPipeServer() override;
  RequestPipeServer(const RequestPipeServer&) = delete;
  RequestPipeServer& operator=(const RequestPipeServer&) = delete;

 private:
  // Makes every instance; false, reported, when the first cannot be made. An instance after the
  // first that cannot be made is reported and left out.
  bool MakeInstances();
  UniqueHandle MakeInstance(bool first);
  // Makes the instances again every retryMs until it can, then serves them until the stop.
  void Run();
  // The loop of one instance: waits for a client, converses, disconnects.
  void Serve(UniqueHandle& pipe);
  // Serves the client connected now; false when the instance must end (it could not stop
  // impersonating the client).
  bool Converse(HANDLE pipe);
  // Reads the rest of a message longer than the buffer; false when it does not end within
  // answerMs and 64 KiB.
  bool SkipRestOfMessage(HANDLE pipe);
  // Reads and drops what the client still sends until it closes, at most answerMs: the client
  // reads the answer, then closes, and disconnecting before would throw the unread answer away.
  void AwaitClose(HANDLE pipe);
  // The client's account name and identifier, or why they are not known; false when RevertToSelf
  // failed.
  bool ClientAccount(HANDLE pipe, ClientRequest& client);

  std::string pipeName_;
  RequestHandler onRequest_;
  ServerFailureHandler onFailure_;
  RequestPipeTimings timings_;
  UniqueHandle stop_;
  std::vector<UniqueHandle> instances_;
  std::vector<std::thread> instanceThreads_;
  std::thread thread_;
};
