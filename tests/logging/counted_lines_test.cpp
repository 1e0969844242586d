#include "logging/counted_lines.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "fakes/service_fixture.h"

namespace {

using ::testing::ElementsAreArray;

// Lines of two kinds at the seconds given, and the ticks in between: what reaches the debug log.
TEST(CountedLinesTest, EachKindIsWrittenAtOnceThenAtMostOnceAMinuteWithItsCount) {
  ServiceFixture fixture;
  THourwarden& service = fixture.Build();
  service.DebugLevel = 2;
  service.DebugLines.Clear();
  const struct {
    int second;
    const char* kind;  // nothing: a tick
    int level;
    const char* text;
  } events[] = {
      {0, "big", 1, "big 1"},     {1, "big", 1, "big 2"},     {2, "silent", 1, "silent 1"}, {30, "big", 1, "big 3"},
      {30, nullptr, 0, ""},       {59, nullptr, 0, ""},       {60, nullptr, 0, ""},         {61, "big", 1, "big 4"},
      {62, "silent", 1, "silent 2"}, {70, "odd", 3, "odd 1"}, {130, nullptr, 0, ""},        {200, "big", 1, "big 5"},
  };
  int now = 0;
  for (const auto& event : events) {
    fixture.clock.AdvanceSeconds(event.second - now);
    now = event.second;
    if (event.kind == nullptr)
      WriteDueCountedLines(service);
    else
      WriteCountedLine(service, event.kind, event.level, event.text);
  }
  EXPECT_THAT(fixture.BufferedMessages(), ElementsAreArray({
                                              "big 1",
                                              "silent 1",
                                              "big 3 (2 times in the last 60 s)",  // big 2 and 3, due at the tick of 60
                                              "silent 2",                          // its own minute is over
                                              "big 4",                             // alone in its minute
                                              "big 5",                             // "odd" is above the level
                                          }));
}

}  // namespace
