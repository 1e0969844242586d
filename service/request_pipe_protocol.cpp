#include "service/request_pipe_protocol.h"

RequestStep StepAfterRequest(PipeRead read) {
  switch (read) {
    case PipeRead::kMessage:
      return RequestStep::kIdentifyAndAnswer;
    case PipeRead::kLonger:
      return RequestStep::kSkipRest;
    case PipeRead::kTimedOut:
      return RequestStep::kTellSilent;
    case PipeRead::kStopped:
    case PipeRead::kBroken:
      break;
  }
  return RequestStep::kHangUp;
}

SkipStep StepAfterSkipping(PipeRead read, size_t skippedBytes) {
  if (read == PipeRead::kMessage) return SkipStep::kAnswer;
  if (read == PipeRead::kLonger && skippedBytes < kMostSkippedBytes) return SkipStep::kReadMore;
  return SkipStep::kHangUp;
}

bool AwaitsClose(PipeRead read) { return read == PipeRead::kMessage || read == PipeRead::kLonger; }
