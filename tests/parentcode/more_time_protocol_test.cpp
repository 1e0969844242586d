#include "parentcode/more_time_protocol.h"

#include <gtest/gtest.h>

namespace {

TEST(MoreTimeProtocolTest, RefusesEveryRequestThatIsNotExactlyOne) {
  const std::string tooLong = "more-time code=123456" + std::string(240, ' ');
  for (const std::string& text :
       {std::string(""), std::string("more-time"), std::string("more-time code=123456 user=alice"),
        std::string("more-time code=123456 minutes=30 user=alice"), std::string("more-time user=alice code=123456"),
        std::string("more-time code=12345"), std::string("more-time code=1234567"), std::string("more-time code=12345a"),
        std::string("more-time code=123456 minutes=0"), std::string("more-time code=123456 minutes=1441"),
        std::string("more-time code=123456 minutes=030"), std::string("more-time  code=123456"),
        std::string("more-time code=123456\n\n"), std::string("MORE-TIME code=123456"),
        std::string("more-time minutes=30 code=123456"), std::string("status now"), tooLong,
        std::string("more-time code=123456 tries=3"), std::string("more-time code=123456 tries minutes=30"),
        std::string("more-time tries code=123456")})
    EXPECT_FALSE(ParseMoreTimeRequest(text) || IsStatusRequest(text)) << "\"" << text << "\"";
}

TEST(MoreTimeProtocolTest, ReadsTheRequestsItWritesAndThoseOfTheEarlierSessionTool) {
  const MoreTimeRequest request{"012345"};
  EXPECT_EQ(FormatMoreTimeRequest(request), "more-time code=012345\n");
  EXPECT_EQ(ParseMoreTimeRequest(FormatMoreTimeRequest(request)), request);
  EXPECT_EQ(ParseMoreTimeRequest("more-time code=999999 minutes=1440\r\n"), (MoreTimeRequest{"999999"}));
  EXPECT_EQ(FormatMoreTimeRequest({"012345", true}), "more-time code=012345 tries\n");
  EXPECT_EQ(ParseMoreTimeRequest("more-time code=012345 tries\n"), (MoreTimeRequest{"012345", true}));
  EXPECT_TRUE(IsStatusRequest(kStatusRequest));
  EXPECT_TRUE(IsStatusRequest("status"));
}

TEST(MoreTimeProtocolTest, EveryAnswerReadsBackAndOthersDoNot) {
  const MoreTimeAnswer answers[] = {{AnswerKind::kAdded, 30, {}},      {AnswerKind::kWrongCode, 0, {}},
                                    {AnswerKind::kLockedOut, 0, "21:40"}, {AnswerKind::kDailyMaximum, 60, {}},
                                    {AnswerKind::kNotRestricted, 0, {}},  {AnswerKind::kNoParentCode, 0, {}},
                                    {AnswerKind::kTimeNotConfirmed, 0, {}}, {AnswerKind::kRefused, 0, {}},
                                    {AnswerKind::kUnavailable, 0, {}},    {AnswerKind::kWrongCode, 0, {}, 0},
                                    {AnswerKind::kWrongCode, 0, {}, 4}};
  for (const MoreTimeAnswer& answer : answers) EXPECT_EQ(ParseMoreTimeAnswer(FormatMoreTimeAnswer(answer)), answer);
  EXPECT_EQ(FormatMoreTimeAnswer({AnswerKind::kLockedOut, 0, "21:40"}), "locked 21:40\n");
  // The tries left follow the word an earlier session tool knows; only a wrong code's answer has them.
  EXPECT_EQ(FormatMoreTimeAnswer({AnswerKind::kWrongCode, 0, {}, 2}), "wrong tries=2\n");
  EXPECT_EQ(FormatMoreTimeAnswer({AnswerKind::kWrongCode, 0, {}}), "wrong\n");
  EXPECT_EQ(FormatMoreTimeAnswer({AnswerKind::kAdded, 30, {}, 2}), "added 30\n");
  for (const char* text : {"", "added", "added x", "locked 25:00", "locked", "wrong 3", "yes", "added 30 more",
                           "wrong tries=", "wrong tries=-1", "wrong tries=02", "wrong tries=2 more", "wrong left=2",
                           "added 30 tries=2", "locked 21:40 tries=0"})
    EXPECT_FALSE(ParseMoreTimeAnswer(text)) << text;
}

TEST(MoreTimeProtocolTest, TheStatusAnswerReadsBackAndNothingElseDoes) {
  const ServiceStatus status{"1.0.0", true, true, 30, 5};
  EXPECT_EQ(FormatStatusAnswer(status), "status version=1.0.0 time=confirmed code=on minutes=30 grace=5\n");
  EXPECT_EQ(ParseStatusAnswer("status version=1.0.0 time=confirmed code=on minutes=30"),
            (ServiceStatus{"1.0.0", true, true, 30, 0}))
      << "an answer without the grace offers none";
  EXPECT_EQ(ParseStatusAnswer(FormatStatusAnswer(status)), status);
  EXPECT_EQ(ParseStatusAnswer(FormatStatusAnswer({"2.1", false, false, 0})), (ServiceStatus{"2.1", false, false, 0}));
  for (const char* text : {"status", "status version=1.0.0 time=confirmed code=on", "added 30",
                           "status version=1.0.0 time=yes code=on minutes=30",
                           "status version=1.0-beta time=confirmed code=on minutes=30",
                           "status version=1.0.0 time=confirmed code=on minutes=99999",
                           "status time=confirmed version=1.0.0 code=on minutes=30",
                           "status version=1.0.0 time=confirmed code=on minutes=30 grace=x"})
    EXPECT_FALSE(ParseStatusAnswer(text)) << text;
}

}  // namespace
