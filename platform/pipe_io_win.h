#pragma once

#include <windows.h>

#include <string>

#include "base/call_result.h"

// Overlapped reads and writes of a pipe that give up after a time, or as soon as a stop event is
// set, so that no client (or server) can keep the other side waiting for ever. Each gives the
// bytes moved, or the failure of the call; a caller tells the ends apart by FailureCode():

// The time ran out (the call was cancelled).
inline constexpr DWORD kPipeTimedOut = WAIT_TIMEOUT;
// The stop event was set (the call was cancelled): a code of this program's own (bit 29 set), which
// no Windows call gives.
inline constexpr DWORD kPipeStopped = 0x20000001;
// Any other code is the call's own: ERROR_MORE_DATA, say, when a message did not fit the buffer.

// Reads one message into the buffer; stop may be null.
CallResult<DWORD> ReadPipe(HANDLE pipe, void* buffer, DWORD size, DWORD timeoutMs, HANDLE stop);
// Writes the text as one message.
CallResult<DWORD> WritePipe(HANDLE pipe, const std::string& text, DWORD timeoutMs, HANDLE stop);
// Waits for a client of a server end (ConnectNamedPipe); a client already there counts as done.
CallResult<DWORD> ConnectPipe(HANDLE pipe, DWORD timeoutMs, HANDLE stop);
