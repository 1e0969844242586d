#include "service/request_pipe_win.h"

#include <sddl.h>

#include "parentcode/more_time_protocol.h"
#include "platform/local_memory_win.h"
#include "platform/pipe_io_win.h"
#include "platform/win_error.h"

namespace {

// The pipe's buffers: the longest request and a byte more, to tell a longer one; and the answer.
constexpr DWORD kInBufferBytes = kMaxRequestBytes + 1;
constexpr DWORD kOutBufferBytes = 512;

std::string Refused() { return FormatMoreTimeAnswer({AnswerKind::kRefused, 0, {}}); }

}  // namespace

RequestPipeServer::RequestPipeServer(std::string pipeName, RequestHandler onRequest, ServerFailureHandler onFailure,
                                     RequestPipeTimings timings)
    : pipeName_(std::move(pipeName)),
      onRequest_(std::move(onRequest)),
      onFailure_(std::move(onFailure)),
      timings_(timings),
      stop_(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {
  if (!stop_) {
    onFailure_(DescribeWindowsFailure("CreateEventA", GetLastError()) + ": no request for more time is served");
    return;
  }
  MakePipe();  // before the service goes on, so that the name is taken
  thread_ = std::thread([this] { Run(); });
}

RequestPipeServer::~RequestPipeServer() {
  if (stop_) SetEvent(stop_.Get());
  if (thread_.joinable()) thread_.join();
}

bool RequestPipeServer::MakePipe() {
  LocalMemory descriptor;
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorA(kRequestPipeSddl, SDDL_REVISION_1,
                                                            descriptor.Receive<void>(), nullptr)) {
    onFailure_(DescribeWindowsFailure("ConvertStringSecurityDescriptorToSecurityDescriptorA", GetLastError()));
    return false;
  }
  SECURITY_ATTRIBUTES attributes{sizeof attributes, descriptor.Get(), FALSE};
  // FILE_FLAG_FIRST_PIPE_INSTANCE: fails when a pipe of the name exists, made by whoever; one
  // instance only; PIPE_REJECT_REMOTE_CLIENTS: no client from another computer.
  pipe_ = UniqueHandle(CreateNamedPipeA(pipeName_.c_str(),
                                        PIPE_ACCESS_DUPLEX | FILE_FLAG_FIRST_PIPE_INSTANCE | FILE_FLAG_OVERLAPPED,
                                        PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE | PIPE_WAIT | PIPE_REJECT_REMOTE_CLIENTS,
                                        1, kOutBufferBytes, kInBufferBytes, 0, &attributes));
  if (pipe_) return true;
  pipe_ = UniqueHandle();
  onFailure_(DescribeWindowsFailure("CreateNamedPipeA", GetLastError()) + ": the pipe " + pipeName_ +
             " is not served (another program may have made it first); tried again in a minute");
  return false;
}

void RequestPipeServer::Run() {
  while (WaitForSingleObject(stop_.Get(), 0) != WAIT_OBJECT_0) {
    if (!pipe_ && !MakePipe()) {
      WaitForSingleObject(stop_.Get(), timings_.retryMs);
      continue;
    }
    const PipeIo connected = ConnectPipe(pipe_.Get(), INFINITE, stop_.Get());
    if (connected.outcome == PipeIo::Outcome::kStopped) return;
    if (connected.outcome != PipeIo::Outcome::kDone) {
      onFailure_(DescribeWindowsFailure("ConnectNamedPipe", connected.error) + ": the pipe is made again");
      pipe_.Reset();
      continue;
    }
    const bool goOn = Converse();
    DisconnectNamedPipe(pipe_.Get());
    if (!goOn) return;
  }
}

bool RequestPipeServer::Converse() {
  char request[kInBufferBytes];
  const PipeIo read = ReadPipe(pipe_.Get(), request, sizeof request, timings_.requestMs, stop_.Get());
  if (read.outcome == PipeIo::Outcome::kTimedOut) {
    onFailure_("A client of " + pipeName_ + " sent nothing within " + std::to_string(timings_.requestMs / 1000) +
               " s and was dropped");
    return true;
  }
  if (read.outcome == PipeIo::Outcome::kStopped) return true;
  std::string answer;
  if (read.outcome == PipeIo::Outcome::kFailed && read.error == ERROR_MORE_DATA) {
    answer = Refused();  // longer than any request: not read on, not answered otherwise
    onFailure_("A request of more than " + std::to_string(kMaxRequestBytes) + " bytes to " + pipeName_ +
               " was refused");
  } else if (read.outcome != PipeIo::Outcome::kDone) {
    return true;  // the client went away
  } else {
    std::string account;
    std::string failure;
    if (!ClientAccount(account, failure)) return false;
    if (account.empty()) {
      onFailure_(failure + ": a request to " + pipeName_ + " was refused");
      answer = Refused();
    } else {
      answer = onRequest_(account, std::string(request, read.bytes));
    }
  }
  const PipeIo written = WritePipe(pipe_.Get(), answer, timings_.answerMs, stop_.Get());
  if (written.outcome != PipeIo::Outcome::kDone) return true;
  // The client reads the answer, then closes: wait for that (the read ends with
  // ERROR_BROKEN_PIPE), since disconnecting first would throw the unread answer away.
  char rest[1];
  ReadPipe(pipe_.Get(), rest, sizeof rest, timings_.answerMs, stop_.Get());
  return true;
}

bool RequestPipeServer::ClientAccount(std::string& account, std::string& failure) {
  if (!ImpersonateNamedPipeClient(pipe_.Get())) {
    failure = DescribeWindowsFailure("ImpersonateNamedPipeClient", GetLastError());
    return true;
  }
  HANDLE rawToken = nullptr;
  // OpenAsSelf: the token is opened with the service's own rights, not the client's.
  if (!OpenThreadToken(GetCurrentThread(), TOKEN_QUERY, TRUE, &rawToken))
    failure = DescribeWindowsFailure("OpenThreadToken", GetLastError());
  UniqueHandle token(rawToken);
  if (!RevertToSelf()) {
    // Never go on as the client.
    onFailure_(DescribeWindowsFailure("RevertToSelf", GetLastError()) + ": the pipe " + pipeName_ + " is closed");
    return false;
  }
  if (!token) return true;
  alignas(TOKEN_USER) char buffer[512];
  DWORD size = 0;
  if (!GetTokenInformation(token.Get(), TokenUser, buffer, sizeof buffer, &size)) {
    failure = DescribeWindowsFailure("GetTokenInformation", GetLastError());
    return true;
  }
  char name[257];
  char domain[257];
  DWORD nameLength = sizeof name;
  DWORD domainLength = sizeof domain;
  SID_NAME_USE use;
  if (!LookupAccountSidA(nullptr, reinterpret_cast<TOKEN_USER*>(buffer)->User.Sid, name, &nameLength, domain,
                         &domainLength, &use)) {
    failure = DescribeWindowsFailure("LookupAccountSidA", GetLastError());
    return true;
  }
  account = name;  // up to its NUL: Wine counts the NUL in nameLength, Windows does not
  return true;
}
