#include "service/request_pipe_protocol.h"

#include <gtest/gtest.h>

namespace {

TEST(RequestPipeProtocolTest, EachEndOfAReadDecidesTheNextStep) {
  using R = PipeRead;
  const struct {
    PipeRead read;
    RequestStep afterRequest;
    SkipStep afterSkipping;  // with the limit not reached
    bool awaitsClose;
  } cases[] = {
      {R::kBroken, RequestStep::kHangUp, SkipStep::kHangUp, false},
      {R::kStopped, RequestStep::kHangUp, SkipStep::kHangUp, false},
      {R::kTimedOut, RequestStep::kTellSilent, SkipStep::kHangUp, false},
      {R::kLonger, RequestStep::kSkipRest, SkipStep::kReadMore, true},
      {R::kMessage, RequestStep::kIdentifyAndAnswer, SkipStep::kAnswer, true},
  };
  for (const auto& c : cases) {
    const int read = static_cast<int>(c.read);
    EXPECT_EQ(StepAfterRequest(c.read), c.afterRequest) << read;
    EXPECT_EQ(StepAfterSkipping(c.read, kRequestBufferBytes), c.afterSkipping) << read;
    EXPECT_EQ(AwaitsClose(c.read), c.awaitsClose) << read;
  }
}

TEST(RequestPipeProtocolTest, ALongRequestIsDroppedOnlyUpToItsLimit) {
  EXPECT_EQ(kRequestBufferBytes, kMaxRequestBytes + 1) << "a request of the longest length fits whole";
  EXPECT_EQ(StepAfterSkipping(PipeRead::kLonger, kMostSkippedBytes - 1), SkipStep::kReadMore);
  EXPECT_EQ(StepAfterSkipping(PipeRead::kLonger, kMostSkippedBytes), SkipStep::kHangUp);
  EXPECT_EQ(StepAfterSkipping(PipeRead::kMessage, kMostSkippedBytes + 200), SkipStep::kAnswer)
      << "the message ended with the last read: it is answered";
}

}  // namespace
