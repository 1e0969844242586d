#include "parentcode/pipe_client_win.h"

#include <windows.h>

#include "platform/pipe_io_win.h"
#include "platform/unique_handle_win.h"
#include "platform/win_error.h"

namespace {

constexpr DWORD kWaitForPipeMs = 10'000;
constexpr DWORD kWriteMs = 5'000;
constexpr DWORD kAnswerMs = 20'000;
constexpr DWORD kAnswerBytes = 256;
// What the client does with the pipe: reads, writes data, and sets the read mode, which
// SetNamedPipeHandleState does only with FILE_WRITE_ATTRIBUTES. The pipe grants users no more
// than read and write (without making instances).
constexpr DWORD kClientAccess = GENERIC_READ | FILE_WRITE_DATA | FILE_WRITE_ATTRIBUTES;

RequestClient::Reply Failed(const std::string& call, DWORD error) { return WindowsCallFailure(call, error); }

}  // namespace

PipeRequestClient::PipeRequestClient(std::string pipeName, std::string serviceName,
                                     const InstalledServiceSource& services, uint32_t servicesSession)
    : pipeName_(std::move(pipeName)),
      serviceName_(std::move(serviceName)),
      services_(services),
      servicesSession_(servicesSession) {}

RequestClient::Reply PipeRequestClient::Ask(const std::string& request) {
  const ULONGLONG deadline = GetTickCount64() + kWaitForPipeMs;
  UniqueHandle pipe;
  while (true) {
    // SECURITY_IDENTIFICATION: the service may read who the client is, not act as the client.
    pipe = UniqueHandle(CreateFileA(pipeName_.c_str(), kClientAccess, 0, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_OVERLAPPED | SECURITY_SQOS_PRESENT | SECURITY_IDENTIFICATION, nullptr));
    if (pipe) break;
    const DWORD error = GetLastError();
    const ULONGLONG now = GetTickCount64();
    if (error != ERROR_PIPE_BUSY || now >= deadline) return Failed("CreateFileA", error);
    // Every instance is busy: wait for one to be free.
    WaitNamedPipeA(pipeName_.c_str(), static_cast<DWORD>(deadline - now));
  }

  PipeServerFacts facts;
  ULONG serverProcess = 0;
  if (GetNamedPipeServerProcessId(pipe.Get(), &serverProcess)) {
    facts.serverProcessId = serverProcess;
    // Documented to need PROCESS_QUERY_INFORMATION, which a standard user lacks on a service's
    // process; when it is refused the process alone decides.
    DWORD session = 0;
    if (ProcessIdToSessionId(serverProcess, &session)) facts.serverSession = session;
  } else {
    facts.serverProcessId = WindowsCallFailure("GetNamedPipeServerProcessId", GetLastError());
  }
  facts.service = services_.Read(serviceName_);
  if (const std::optional<std::string> distrust = WhyNotTheService(facts, servicesSession_))
    return CallFailure{*distrust, kNotTheServiceFailure};

  DWORD mode = PIPE_READMODE_MESSAGE;
  if (!SetNamedPipeHandleState(pipe.Get(), &mode, nullptr, nullptr))
    return Failed("SetNamedPipeHandleState", GetLastError());
  // A timeout fails the call with kPipeTimedOut (WAIT_TIMEOUT).
  const CallResult<DWORD> written = WritePipe(pipe.Get(), request, kWriteMs, nullptr);
  if (!written) return CallFailure{written.Failure(), written.FailureCode()};
  char answer[kAnswerBytes];
  const CallResult<DWORD> read = ReadPipe(pipe.Get(), answer, sizeof answer, kAnswerMs, nullptr);
  if (!read) return CallFailure{read.Failure(), read.FailureCode()};
  return std::string(answer, read.Value());
}
