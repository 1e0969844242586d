#include "session/more_time_client_win.h"

#include <windows.h>

#include "platform/pipe_io_win.h"
#include "platform/unique_handle_win.h"
#include "platform/win_error.h"

namespace {

constexpr DWORD kWaitForPipeMs = 10'000;
constexpr DWORD kWriteMs = 5'000;
constexpr DWORD kAnswerMs = 20'000;
constexpr DWORD kAnswerBytes = 256;
// What the client may do with the pipe: read, and write data; no more is granted to users.
constexpr DWORD kClientAccess = GENERIC_READ | FILE_WRITE_DATA;

MoreTimeClient::Reply Failed(const std::string& call, DWORD error) {
  return {std::nullopt, DescribeWindowsFailure(call, error)};
}

}  // namespace

PipeMoreTimeClient::PipeMoreTimeClient(std::string pipeName) : pipeName_(std::move(pipeName)) {}

MoreTimeClient::Reply PipeMoreTimeClient::Ask(const std::string& request) {
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
    // Another client is being answered: wait for the pipe to be free.
    WaitNamedPipeA(pipeName_.c_str(), static_cast<DWORD>(deadline - now));
  }
  DWORD mode = PIPE_READMODE_MESSAGE;
  if (!SetNamedPipeHandleState(pipe.Get(), &mode, nullptr, nullptr))
    return Failed("SetNamedPipeHandleState", GetLastError());
  const PipeIo written = WritePipe(pipe.Get(), request, kWriteMs, nullptr);
  if (written.outcome != PipeIo::Outcome::kDone)
    return Failed("WriteFile", written.outcome == PipeIo::Outcome::kTimedOut ? WAIT_TIMEOUT : written.error);
  char answer[kAnswerBytes];
  const PipeIo read = ReadPipe(pipe.Get(), answer, sizeof answer, kAnswerMs, nullptr);
  if (read.outcome != PipeIo::Outcome::kDone)
    return Failed("ReadFile", read.outcome == PipeIo::Outcome::kTimedOut ? WAIT_TIMEOUT : read.error);
  return {std::string(answer, read.bytes), {}};
}
