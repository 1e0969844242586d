#pragma once

#include <cstddef>

#include "parentcode/more_time_protocol.h"

// What the server of the requests' pipe does with each client, apart from the calls that move
// the bytes: one request per connection, at most kMaxRequestBytes long; a longer one is read to
// its end (within limits) only to be dropped and refused, so that its answer reaches the client;
// a silent client is told to the handler and dropped unanswered.

// The pipe's buffers: the longest request and a byte more, to tell a longer one; and the answer.
inline constexpr size_t kRequestBufferBytes = kMaxRequestBytes + 1;
inline constexpr size_t kAnswerBufferBytes = 512;
// The most of a long request that is read (and dropped) so that its answer can be given.
inline constexpr size_t kMostSkippedBytes = 64 * 1024;

// How one read of what the client sends ended.
enum class PipeRead {
  kMessage,   // a whole message (or its last part) came
  kLonger,    // a part came that filled the buffer: more of the message waits
  kTimedOut,  // the client sent nothing in time
  kStopped,   // the server stops
  kBroken,    // the client went away, or the read failed
};

// What the server does after the first read of a connection.
enum class RequestStep {
  kHangUp,             // nothing more: the server stops, or the client went away
  kTellSilent,         // tells the handler of a silent client, and answers nothing
  kSkipRest,           // reads the rest of the long request to drop it, then refuses it
  kIdentifyAndAnswer,  // learns the client's account, hands the request over and answers
};
RequestStep StepAfterRequest(PipeRead read);

// What the server does after a read of the rest of a long request, with the bytes dropped so far
// (that read's included).
enum class SkipStep {
  kReadMore,  // the message goes on, and the limit is not reached
  kAnswer,    // the message ended: it is answered as oversized
  kHangUp,    // it does not end within the limit, or the client went away: no answer
};
SkipStep StepAfterSkipping(PipeRead read, size_t skippedBytes);

// Whether the server, having answered, goes on reading (and dropping) what the client still sends:
// the client reads the answer, then closes, and disconnecting before would throw the unread
// answer away; a read that fails (the client closed) or runs out of time ends the wait.
bool AwaitsClose(PipeRead read);
