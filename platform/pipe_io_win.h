#pragma once

#include <windows.h>

#include <string>

// Overlapped reads and writes of a pipe that give up after a time, or as soon as a stop event is
// set, so that no client (or server) can keep the other side waiting for ever.

struct PipeIo {
  enum class Outcome { kDone, kTimedOut, kStopped, kFailed };
  Outcome outcome = Outcome::kFailed;
  DWORD bytes = 0;
  DWORD error = 0;  // kFailed: the error of the call (ERROR_MORE_DATA: the message did not fit)
};

// Reads one message into the buffer; stop may be null.
PipeIo ReadPipe(HANDLE pipe, void* buffer, DWORD size, DWORD timeoutMs, HANDLE stop);
// Writes the text as one message.
PipeIo WritePipe(HANDLE pipe, const std::string& text, DWORD timeoutMs, HANDLE stop);
// Waits for a client of a server end (ConnectNamedPipe); a client already there counts as done.
PipeIo ConnectPipe(HANDLE pipe, DWORD timeoutMs, HANDLE stop);
