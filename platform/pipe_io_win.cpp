#include "platform/pipe_io_win.h"

#include "platform/unique_handle_win.h"

namespace {

// Finishes an overlapped call that was started: waits for it, the stop event and the time; an
// operation still running then is cancelled and waited for, so the buffer is free again.
PipeIo Finish(HANDLE pipe, OVERLAPPED& overlapped, BOOL started, DWORD timeoutMs, HANDLE stop) {
  PipeIo io;
  if (!started) {
    const DWORD error = GetLastError();
    if (error != ERROR_IO_PENDING) {
      io.error = error;
      return io;
    }
    HANDLE events[2] = {overlapped.hEvent, stop};
    const DWORD woken = WaitForMultipleObjects(stop != nullptr ? 2 : 1, events, FALSE, timeoutMs);
    if (woken != WAIT_OBJECT_0) {
      CancelIoEx(pipe, &overlapped);
      DWORD ignored = 0;
      GetOverlappedResult(pipe, &overlapped, &ignored, TRUE);
      io.outcome = woken == WAIT_OBJECT_0 + 1 ? PipeIo::Outcome::kStopped : PipeIo::Outcome::kTimedOut;
      return io;
    }
  }
  if (!GetOverlappedResult(pipe, &overlapped, &io.bytes, FALSE)) {
    io.error = GetLastError();
    return io;
  }
  io.outcome = PipeIo::Outcome::kDone;
  return io;
}

// An OVERLAPPED with a manual-reset event of its own.
struct Overlapped {
  UniqueHandle event{CreateEventA(nullptr, TRUE, FALSE, nullptr)};
  OVERLAPPED value{};
  Overlapped() { value.hEvent = event.Get(); }
};

PipeIo NoEvent() {
  PipeIo io;
  io.error = GetLastError();
  return io;
}

}  // namespace

PipeIo ReadPipe(HANDLE pipe, void* buffer, DWORD size, DWORD timeoutMs, HANDLE stop) {
  Overlapped overlapped;
  if (!overlapped.event) return NoEvent();
  const BOOL started = ReadFile(pipe, buffer, size, nullptr, &overlapped.value);
  return Finish(pipe, overlapped.value, started, timeoutMs, stop);
}

PipeIo WritePipe(HANDLE pipe, const std::string& text, DWORD timeoutMs, HANDLE stop) {
  Overlapped overlapped;
  if (!overlapped.event) return NoEvent();
  const BOOL started = WriteFile(pipe, text.data(), static_cast<DWORD>(text.size()), nullptr, &overlapped.value);
  return Finish(pipe, overlapped.value, started, timeoutMs, stop);
}

PipeIo ConnectPipe(HANDLE pipe, DWORD timeoutMs, HANDLE stop) {
  Overlapped overlapped;
  if (!overlapped.event) return NoEvent();
  if (ConnectNamedPipe(pipe, &overlapped.value) || GetLastError() == ERROR_PIPE_CONNECTED) {
    PipeIo io;
    io.outcome = PipeIo::Outcome::kDone;
    return io;
  }
  // ConnectNamedPipe on an overlapped handle returns FALSE with ERROR_IO_PENDING while it waits.
  return Finish(pipe, overlapped.value, FALSE, timeoutMs, stop);
}
