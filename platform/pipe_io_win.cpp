#include "platform/pipe_io_win.h"

#include "platform/unique_handle_win.h"
#include "platform/win_error.h"

namespace {

// Finishes an overlapped call that was started: waits for it, the stop event and the time; an
// operation still running then is cancelled and waited for, so the buffer is free again.
CallResult<DWORD> Finish(const char* call, HANDLE pipe, OVERLAPPED& overlapped, BOOL started, DWORD timeoutMs,
                         HANDLE stop) {
  if (!started) {
    const DWORD error = GetLastError();
    if (error != ERROR_IO_PENDING) return WindowsCallFailure(call, error);
    HANDLE events[2] = {overlapped.hEvent, stop};
    const DWORD woken = WaitForMultipleObjects(stop != nullptr ? 2 : 1, events, FALSE, timeoutMs);
    if (woken != WAIT_OBJECT_0) {
      CancelIoEx(pipe, &overlapped);
      DWORD ignored = 0;
      GetOverlappedResult(pipe, &overlapped, &ignored, TRUE);
      return WindowsCallFailure(call, woken == WAIT_OBJECT_0 + 1 ? kPipeStopped : kPipeTimedOut);
    }
  }
  DWORD bytes = 0;
  if (!GetOverlappedResult(pipe, &overlapped, &bytes, FALSE)) return WindowsCallFailure(call, GetLastError());
  return bytes;
}

// An OVERLAPPED with a manual-reset event of its own.
struct Overlapped {
  UniqueHandle event{CreateEventA(nullptr, TRUE, FALSE, nullptr)};
  OVERLAPPED value{};
  Overlapped() { value.hEvent = event.Get(); }
};

CallFailure NoEvent() { return WindowsCallFailure("CreateEventA", GetLastError()); }

}  // namespace

CallResult<DWORD> ReadPipe(HANDLE pipe, void* buffer, DWORD size, DWORD timeoutMs, HANDLE stop) {
  Overlapped overlapped;
  if (!overlapped.event) return NoEvent();
  const BOOL started = ReadFile(pipe, buffer, size, nullptr, &overlapped.value);
  return Finish("ReadFile", pipe, overlapped.value, started, timeoutMs, stop);
}

CallResult<DWORD> WritePipe(HANDLE pipe, const std::string& text, DWORD timeoutMs, HANDLE stop) {
  Overlapped overlapped;
  if (!overlapped.event) return NoEvent();
  const BOOL started = WriteFile(pipe, text.data(), static_cast<DWORD>(text.size()), nullptr, &overlapped.value);
  return Finish("WriteFile", pipe, overlapped.value, started, timeoutMs, stop);
}

CallResult<DWORD> ConnectPipe(HANDLE pipe, DWORD timeoutMs, HANDLE stop) {
  Overlapped overlapped;
  if (!overlapped.event) return NoEvent();
  if (ConnectNamedPipe(pipe, &overlapped.value) || GetLastError() == ERROR_PIPE_CONNECTED) return DWORD{0};
  // ConnectNamedPipe on an overlapped handle returns FALSE with ERROR_IO_PENDING while it waits.
  return Finish("ConnectNamedPipe", pipe, overlapped.value, FALSE, timeoutMs, stop);
}
