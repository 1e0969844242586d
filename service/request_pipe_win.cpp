#include "service/request_pipe_win.h"

#include <sddl.h>

#include <iterator>

#include "parentcode/more_time_protocol.h"
#include "platform/account_names_win.h"
#include "platform/local_memory_win.h"
#include "platform/pipe_io_win.h"
#include "platform/wide_text_win.h"
#include "platform/win_error.h"
#include "service/request_pipe_protocol.h"

namespace {

bool Stopped(HANDLE stop) { return WaitForSingleObject(stop, 0) == WAIT_OBJECT_0; }

// How a read of the pipe ended, in the terms of the protocol.
PipeRead ReadEnd(const CallResult<DWORD>& read) {
  if (read) return PipeRead::kMessage;
  switch (read.FailureCode()) {
    case ERROR_MORE_DATA:  // the message did not fit the buffer
      return PipeRead::kLonger;
    case kPipeTimedOut:
      return PipeRead::kTimedOut;
    case kPipeStopped:
      return PipeRead::kStopped;
    default:  // ERROR_BROKEN_PIPE: the client has closed
      return PipeRead::kBroken;
  }
}

}  // namespace

RequestPipeServer::RequestPipeServer(std::string pipeName, RequestHandler onRequest, ServerFailureHandler onFailure,
                                     RequestPipeTimings timings)
    : pipeName_(std::move(pipeName)),
      onRequest_(std::move(onRequest)),
      onFailure_(std::move(onFailure)),
      timings_(timings),
      stop_(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {
  if (!stop_) {
    onFailure_(DescribeWindowsFailure("CreateEventA", GetLastError()) + ": no request to the service is served");
    return;
  }
  MakeInstances();  // before the service goes on, so that the name is taken
  thread_ = std::thread([this] { Run(); });
}

RequestPipeServer::~RequestPipeServer() {
  if (stop_) SetEvent(stop_.Get());
  if (thread_.joinable()) thread_.join();
  for (std::thread& thread : instanceThreads_)
    if (thread.joinable()) thread.join();
}

UniqueHandle RequestPipeServer::MakeInstance(bool first) {
  LocalMemory descriptor;
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorA(kRequestPipeSddl, SDDL_REVISION_1,
                                                            descriptor.Receive<void>(), nullptr)) {
    onFailure_(DescribeWindowsFailure("ConvertStringSecurityDescriptorToSecurityDescriptorA", GetLastError()));
    return UniqueHandle();
  }
  SECURITY_ATTRIBUTES attributes{sizeof attributes, descriptor.Get(), FALSE};
  // FILE_FLAG_FIRST_PIPE_INSTANCE (the first only): fails when a pipe of the name exists, made by
  // whoever; every instance gives the same count of instances, as Windows requires;
  // PIPE_REJECT_REMOTE_CLIENTS: no client from another computer.
  UniqueHandle pipe(CreateNamedPipeA(
      pipeName_.c_str(), PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED | (first ? FILE_FLAG_FIRST_PIPE_INSTANCE : 0),
      PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE | PIPE_WAIT | PIPE_REJECT_REMOTE_CLIENTS, kRequestPipeInstances,
      kAnswerBufferBytes, kRequestBufferBytes, 0, &attributes));
  if (pipe) return pipe;
  onFailure_(DescribeWindowsFailure("CreateNamedPipeA", GetLastError()) + ": " +
             (first ? "the pipe " + pipeName_ +
                          " is not served (another program may have made it first); tried again in a minute"
                    : "an instance of the pipe " + pipeName_ + " is left out"));
  return UniqueHandle();
}

bool RequestPipeServer::MakeInstances() {
  UniqueHandle first = MakeInstance(true);
  if (!first) return false;
  instances_.push_back(std::move(first));
  for (DWORD i = 1; i < kRequestPipeInstances; ++i)
    if (UniqueHandle more = MakeInstance(false)) instances_.push_back(std::move(more));
  return true;
}

void RequestPipeServer::Run() {
  while (instances_.empty() && !Stopped(stop_.Get())) {
    if (WaitForSingleObject(stop_.Get(), timings_.retryMs) == WAIT_OBJECT_0) return;
    MakeInstances();
  }
  for (UniqueHandle& instance : instances_) instanceThreads_.emplace_back([this, &instance] { Serve(instance); });
}

void RequestPipeServer::Serve(UniqueHandle& pipe) {
  while (!Stopped(stop_.Get())) {
    const CallResult<DWORD> connected = ConnectPipe(pipe.Get(), INFINITE, stop_.Get());
    if (!connected) {
      if (connected.FailureCode() == kPipeStopped) return;
      // ERROR_NO_DATA: a client came and went before the call; nothing to tell.
      if (connected.FailureCode() != ERROR_NO_DATA) {
        onFailure_(connected.Failure() + ": an instance of " + pipeName_ + " waits a minute");
        if (WaitForSingleObject(stop_.Get(), timings_.retryMs) == WAIT_OBJECT_0) return;
      }
      DisconnectNamedPipe(pipe.Get());
      continue;
    }
    const bool goOn = Converse(pipe.Get());
    DisconnectNamedPipe(pipe.Get());
    if (!goOn) {
      pipe.Reset();
      return;
    }
  }
}

bool RequestPipeServer::Converse(HANDLE pipe) {
  char request[kRequestBufferBytes];
  const CallResult<DWORD> read = ReadPipe(pipe, request, sizeof request, timings_.requestMs, stop_.Get());
  ClientRequest client;
  switch (StepAfterRequest(ReadEnd(read))) {
    case RequestStep::kHangUp:
      return true;
    case RequestStep::kTellSilent:
      client.outcome = ClientRequest::Outcome::kSilent;
      onRequest_(client);
      return true;
    case RequestStep::kSkipRest:
      if (!SkipRestOfMessage(pipe)) return true;
      client.outcome = ClientRequest::Outcome::kOversized;
      break;
    case RequestStep::kIdentifyAndAnswer:
      client.text.assign(request, read.Value());
      if (!ClientAccount(pipe, client)) return false;
      break;
  }
  const std::string answer = onRequest_(client);
  if (WritePipe(pipe, answer, timings_.answerMs, stop_.Get())) AwaitClose(pipe);
  return true;
}

bool RequestPipeServer::SkipRestOfMessage(HANDLE pipe) {
  const ULONGLONG deadline = GetTickCount64() + timings_.answerMs;
  char rest[kRequestBufferBytes];
  for (size_t skipped = 0;;) {
    const ULONGLONG now = GetTickCount64();
    if (now >= deadline) return false;
    const CallResult<DWORD> read = ReadPipe(pipe, rest, sizeof rest, static_cast<DWORD>(deadline - now), stop_.Get());
    skipped += sizeof rest;
    switch (StepAfterSkipping(ReadEnd(read), skipped)) {
      case SkipStep::kReadMore:
        break;
      case SkipStep::kAnswer:
        return true;
      case SkipStep::kHangUp:
        return false;
    }
  }
}

void RequestPipeServer::AwaitClose(HANDLE pipe) {
  const ULONGLONG deadline = GetTickCount64() + timings_.answerMs;
  char rest[kRequestBufferBytes];
  for (ULONGLONG now = GetTickCount64(); now < deadline; now = GetTickCount64()) {
    const CallResult<DWORD> read = ReadPipe(pipe, rest, sizeof rest, static_cast<DWORD>(deadline - now), stop_.Get());
    if (!AwaitsClose(ReadEnd(read))) return;
  }
}

bool RequestPipeServer::ClientAccount(HANDLE pipe, ClientRequest& client) {
  std::string& failure = client.accountFailure;
  if (!ImpersonateNamedPipeClient(pipe)) {
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
    onFailure_(DescribeWindowsFailure("RevertToSelf", GetLastError()) + ": an instance of the pipe " + pipeName_ +
               " is closed");
    return false;
  }
  if (!token) return true;
  alignas(TOKEN_USER) char buffer[512];
  DWORD size = 0;
  if (!GetTokenInformation(token.Get(), TokenUser, buffer, sizeof buffer, &size)) {
    failure = DescribeWindowsFailure("GetTokenInformation", GetLastError());
    return true;
  }
  const PSID sid = reinterpret_cast<TOKEN_USER*>(buffer)->User.Sid;
  client.sid = SidText(sid);
  // In UTF-16 whatever its alphabet; the lengths count characters.
  wchar_t name[257] = L"";
  wchar_t domain[257] = L"";
  DWORD nameLength = std::size(name);
  DWORD domainLength = std::size(domain);
  SID_NAME_USE use;
  if (!LookupAccountSidW(nullptr, sid, name, &nameLength, domain, &domainLength, &use)) {
    failure = DescribeWindowsFailure("LookupAccountSidW", GetLastError());
    return true;
  }
  // Up to its NUL: Wine counts the NUL in nameLength, Windows does not.
  client.account = Utf8FromWide({name, wcsnlen(name, std::size(name))});
  return true;
}
