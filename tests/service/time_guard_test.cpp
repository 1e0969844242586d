// The whole service on its real steps and the fakes, as a child with a standard account would
// meet it: a time zone chosen, a clock moved, daylight saving time, a network that never answers.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <future>
#include <thread>

#include "fakes/service_fixture.h"
#include "base/date_time.h"
#include "settings/registry_values.h"
#include "settings/settings_loader.h"
#include "settings/stored_formats.h"

namespace {

using ::testing::Contains;
using ::testing::Each;
using ::testing::HasSubstr;
using ::testing::Not;

constexpr int kTicksPerMinute = 30;
const std::string kAlice = kRestrictionsKey + std::string("alice");

// The Date header of an answer at the UTC time.
std::string HttpDate(double utc) {
  static const char* const kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                        "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  const DateTimeParts p = DecodeDateTime(utc);
  char text[64];
  std::snprintf(text, sizeof text, "%s, %02d %s %04d %02d:%02d:%02d GMT", kDays[DayOfWeek(utc) - 1], p.day,
                kMonths[p.month - 1], p.year, p.hour, p.minute, p.second);
  return text;
}

// alice is restricted with an allowance and a restricted period every day, owns a running
// program and has a count stored; the administrator's zone is W. Europe Standard Time (one hour
// east in winter) unless a test says otherwise; the one time page asked answers with the true
// time, which moves with the ticks whatever is done to the clock.
class GuardedService {
 public:
  GuardedService() {
    registry.SetIntegerForTesting(kProductKey, "Debug", 3);
    registry.SetStringForTesting(kProductKey, "Path", fixture.dir.Prefix());
    registry.SetStringForTesting(kProductKey, kTimeZoneValue, "W. Europe Standard Time");
    registry.SetStringForTesting(kProductKey, kTimeUrlValue, "https://time.example.net/");
    Restrict("60", "21:00 24:00", 0, "08.12.2026");
    fixture.processSource.SetProcess(100, "alice", "game.exe", "\\Device\\HarddiskVolume3\\Games\\game.exe");
    fixture.timePageFetcher.onFetch = [this] {
      if (internetUp) fixture.timePageFetcher.Serve("", HttpDate(trueUtc));
      else fixture.timePageFetcher.Fail(TimePageFailure::kNotReached, "HttpSendRequestA failed with error 12007: ");
    };
    SetTrueTime({2026, 12, 8, 10, 0, 0, 0});  // a Tuesday, 11:00 in W. Europe
  }

  void Restrict(const std::string& allowance, const std::string& filter, int spent, const std::string& stamp) {
    for (int day = 0; day < kDaysInWeek; ++day) registry.SetStringForTesting(kAlice, DayValueName(day), filter);
    registry.SetStringForTesting(kAlice, "DayLimit", (allowance + " ") + allowance + " " + allowance + " " + allowance +
                                                         " " + allowance + " " + allowance + " " + allowance);
    registry.SetIntegerForTesting(kAlice, "SpentTime", spent);
    registry.SetStringForTesting(kAlice, "TimeStamp", stamp);
  }
  void SetTrueTime(const DateTimeParts& utc) {
    trueUtc = EncodeDateTime(utc);
    fixture.clock.SetUtc(utc);
  }
  THourwarden& Start() {
    THourwarden& service = fixture.Build();
    bool started = true;
    service.ServiceStart(started);
    return service;
  }
  // Lets the ticks of the minutes pass, two seconds each.
  void RunTicks(int ticks) {
    for (int tick = 0; tick < ticks; ++tick) {
      fixture.clock.AdvanceSeconds(2);
      trueUtc += 2 / 86400.0;
      fixture.service->Timer1Timer();
    }
  }
  void RunMinutes(int minutes) { RunTicks(minutes * kTicksPerMinute); }

  int32_t Spent() const { return IntegerOfValue(kAlice, "SpentTime", registry.ValueForTesting(kAlice, "SpentTime")); }
  std::string Stamp() const { return TextOfValue(kAlice, "TimeStamp", registry.ValueForTesting(kAlice, "TimeStamp")); }
  std::string LastChange() const {
    const std::vector<std::string> changes = fixture.accounts.Changes();
    return changes.empty() ? "" : changes.back();
  }
  std::vector<std::string> Messages() const {
    std::vector<std::string> messages = fixture.DebugMessages();
    for (const std::string& line : fixture.BufferedMessages()) messages.push_back(line);
    return messages;
  }

  ServiceFixture fixture;
  InMemoryRegistry& registry = fixture.registry;
  double trueUtc = 0;
  bool internetUp = true;
};

// The tests below that need one service only use this one.
class GuardedServiceTest : public ::testing::Test, public GuardedService {};

// With the administrator's zone in force, no choice of the system's zone moves the day: 61 of
// 60 minutes stay used and alice stays blocked, whichever way the zone goes. Without it, a zone
// that goes back a day counts on today all the same, and the way back finds today's count.
// (A zone ahead starts tomorrow early, on tomorrow's allowance: only the administrator's zone
// closes that, which is why hwctl check warns while TimeZone is not set.)
TEST(TimeGuardTest, AZoneChangeInEitherDirectionLeavesAUserOverTheAllowanceBlocked) {
  struct Case {
    const char* name;
    bool administratorsZone;
    std::vector<int> systemOffsets;  // minutes east of UTC, one after the other
    std::vector<std::string> stamps;
  };
  const Case cases[] = {
      {"to tomorrow and back", true, {14 * 60, 60, -12 * 60}, {"08.12.2026", "08.12.2026", "08.12.2026"}},
      {"to yesterday and back, system's zone", false, {-12 * 60, 60}, {"08.12.2026", "08.12.2026"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    GuardedService each;
    if (!c.administratorsZone) each.registry.SetStringForTesting(kProductKey, kTimeZoneValue, "");
    each.Restrict("60", "", 61, "08.12.2026");
    each.SetTrueTime({2026, 12, 8, 10, 30, 0, 0});  // 00:30 tomorrow at 14 hours east, 22:30 yesterday at 12 west
    each.Start();
    each.RunMinutes(1);
    ASSERT_EQ(each.LastChange(), "blocked alice");
    int32_t spent = each.Spent();
    for (size_t i = 0; i < c.systemOffsets.size(); ++i) {
      each.fixture.clock.SetSystemZoneOffset(c.systemOffsets[i]);
      each.RunMinutes(2);
      EXPECT_EQ(each.LastChange(), "blocked alice") << "offset " << c.systemOffsets[i];
      EXPECT_GT(each.Spent(), spent) << "offset " << c.systemOffsets[i];
      EXPECT_EQ(each.Stamp(), c.stamps[i]);
      spent = each.Spent();
    }
    EXPECT_THAT(each.Messages(), Not(Contains("Next day - reseting spent times")));
  }
}

// A restricted period runs on the administrator's clock, whatever zone the system shows.
TEST(TimeGuardTest, ARestrictedPeriodHoldsAtTheAdministratorsHoursInEverySystemZone) {
  struct Case {
    DateTimeParts utc;
    const char* currentTime;  // in W. Europe
    const char* change;
  };
  const Case cases[] = {{{2026, 12, 8, 19, 59, 0, 0}, "current_time=21:00", "blocked alice"},
                        {{2026, 12, 8, 18, 58, 0, 0}, "current_time=19:59", "unblocked alice"},
                        {{2026, 12, 8, 22, 58, 0, 0}, "current_time=23:59", "blocked alice"},
                        {{2026, 12, 8, 23, 0, 0, 0}, "current_time=00:01", "unblocked alice"}};
  for (const Case& c : cases)
    for (const int systemOffset : {-8 * 60, 0, 9 * 60}) {
      SCOPED_TRACE(std::string(c.currentTime) + " system offset " + std::to_string(systemOffset));
      GuardedService each;
      each.Restrict("1440", "21:00 24:00", 0, "08.12.2026");
      each.fixture.clock.SetSystemZoneOffset(systemOffset);
      each.SetTrueTime(c.utc);
      each.Start();
      each.RunMinutes(1);
      EXPECT_EQ(each.LastChange(), c.change);
      EXPECT_THAT(each.Messages(), Contains(HasSubstr(c.currentTime)));
    }
}

// Across the changes of the administrator's zone every real minute is counted once, and the day
// is never taken for a new one: the spring hour that does not exist and the autumn hour that
// comes twice are both an hour of real minutes.
TEST(TimeGuardTest, DaylightSavingChangesCountEachRealMinuteOnce) {
  struct Case {
    const char* name;
    DateTimeParts utc;
    const char* stamp;
    const char* shown;    // a local time the hour shows
    const char* skipped;  // a local time it never shows
  };
  const Case cases[] = {
      {"spring gap", {2026, 3, 29, 0, 30, 0, 0}, "29.03.2026", "current_time=03:29", "current_time=02:30"},
      {"autumn hour twice", {2026, 10, 25, 0, 30, 0, 0}, "25.10.2026", "current_time=02:29", "current_time=03:31"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    GuardedService each;
    each.Restrict("1440", "", 0, c.stamp);
    each.SetTrueTime(c.utc);
    each.Start();
    each.RunMinutes(60);
    EXPECT_EQ(each.Spent(), 60);
    EXPECT_EQ(each.Stamp(), c.stamp);
    const std::vector<std::string> messages = each.Messages();
    EXPECT_THAT(messages, Not(Contains("Next day - reseting spent times")));
    EXPECT_THAT(messages, Contains(HasSubstr(c.shown)));
    EXPECT_THAT(messages, Not(Contains(HasSubstr(c.skipped))));
  }
}

// The count of a day survives a clock that is a day ahead when the service starts without the
// internet, and a count dated tomorrow survives the true date and goes on: only a later day
// starts afresh.
TEST(TimeGuardTest, NoCountIsResetByADateThatIsNotToday) {
  struct Case {
    const char* name;
    const char* stamp;
    int clockAheadDays;
  };
  for (const Case& c : {Case{"clock a day ahead at an offline boot", "08.12.2026", 1},
                        Case{"count dated tomorrow", "09.12.2026", 0}}) {
    SCOPED_TRACE(c.name);
    GuardedService each;
    each.registry.SetIntegerForTesting(kAlice, "SpentTime", 61);
    each.registry.SetStringForTesting(kAlice, "TimeStamp", c.stamp);
    each.fixture.clock.MoveClockSeconds(c.clockAheadDays * 86400);
    each.internetUp = false;
    THourwarden& service = each.Start();
    EXPECT_FALSE(service.TimeSynced);
    each.internetUp = true;
    each.RunTicks(15);  // the retry sets the clock back to the true day
    ASSERT_TRUE(service.TimeSynced);
    each.RunMinutes(1);
    EXPECT_EQ(each.Spent(), 62);
    EXPECT_EQ(each.Stamp(), c.stamp);
    EXPECT_EQ(each.LastChange(), "blocked alice");
  }
}

// A clock moved while the service runs counts nothing and holds alice back until the time is
// confirmed again, which sets the clock back to the true time.
TEST(TimeGuardTest, AClockMovedWhileRunningCountsNothingAndIsConfirmedAgain) {
  for (const int hours : {3, -3}) {
    SCOPED_TRACE(hours);
    GuardedService each;
    each.Restrict("1440", "", 0, "08.12.2026");
    THourwarden& service = each.Start();
    each.RunMinutes(2);
    ASSERT_EQ(each.Spent(), 2);
    ASSERT_EQ(each.LastChange(), "unblocked alice");

    each.fixture.clock.MoveClockSeconds(hours * 3600);
    each.RunMinutes(1);
    EXPECT_EQ(each.Spent(), 2);
    EXPECT_FALSE(service.TimeSynced);
    EXPECT_EQ(each.LastChange(), "blocked alice");
    EXPECT_THAT(each.Messages(), Contains("ERROR: The clock was moved 180 minutes " + std::string(hours > 0 ? "ahead" : "back") +
                                          " while the service ran; nothing is counted until the time is confirmed again"));

    each.RunTicks(15);
    EXPECT_TRUE(service.TimeSynced);
    EXPECT_LE(std::abs(each.fixture.clock.UtcNow() - each.trueUtc) * 86400, 1.0);
    each.RunMinutes(1);
    EXPECT_EQ(each.Spent(), 3);
    EXPECT_EQ(each.LastChange(), "unblocked alice");
  }
}

// Every six hours the confirmed time is checked again, holding nobody back; a check that fails
// leaves the time confirmed and is made again a quarter of an hour later.
TEST_F(GuardedServiceTest, TheConfirmedTimeIsCheckedAgainEverySixHoursWithoutHoldingAnyoneBack) {
  Restrict("1440", "", 0, "08.12.2026");
  THourwarden& service = Start();
  const auto fetches = [this] { return fixture.timePageFetcher.urls.size(); };
  ASSERT_EQ(fetches(), 1u);
  // The machine sleeps, which the tick count counts as well: the time stays believable.
  const auto sleepThenRun = [this](int seconds, int minutes) {
    fixture.clock.AdvanceSeconds(seconds);
    trueUtc += seconds / 86400.0;
    RunMinutes(minutes);
  };
  sleepThenRun(6 * 3600 - 120, 1);
  EXPECT_EQ(fetches(), 1u);
  RunMinutes(2);
  EXPECT_EQ(fetches(), 2u);
  internetUp = false;
  sleepThenRun(6 * 3600, 2);
  EXPECT_EQ(fetches(), 3u);
  EXPECT_TRUE(service.TimeSynced);
  RunMinutes(12);
  EXPECT_EQ(fetches(), 3u);
  RunMinutes(4);
  EXPECT_EQ(fetches(), 4u);
  EXPECT_THAT(fixture.accounts.Changes(), Each("unblocked alice"));
}

// True when the work ends within five seconds; the test goes on either way.
bool EndsSoon(const std::function<void()>& work) {
  auto done = std::async(std::launch::async, work);
  return done.wait_for(std::chrono::seconds(5)) == std::future_status::ready;
}

// The check runs on a thread of its own: while the site does not answer, the start and the ticks
// go on with alice held back, no second check starts, and a stop ends at once; the answer that
// comes after the stop changes nothing (no account blocked again after the stop gave every one
// back its hours, no clock set).
TEST_F(GuardedServiceTest, NeitherTheStartNorATickNorAStopWaitsForTheSite) {
  fixture.workers.Threaded();
  std::promise<void> answer;
  std::shared_future<void> answered = answer.get_future().share();
  std::atomic<int> fetches{0};
  fixture.timePageFetcher.Serve("", HttpDate(trueUtc));
  fixture.timePageFetcher.onFetch = [&] {
    ++fetches;
    answered.wait();
  };
  THourwarden* service = nullptr;
  const bool startEnded = EndsSoon([&] { service = &Start(); });
  const bool ticksEnded = startEnded && EndsSoon([&] { RunMinutes(2); });
  const bool stopEnded = ticksEnded && EndsSoon([&] {
    bool stopped = true;
    service->ServiceStop(stopped);
  });
  answer.set_value();
  fixture.workers.Join();
  ASSERT_TRUE(startEnded && ticksEnded && stopEnded);
  EXPECT_EQ(fetches, 1);
  EXPECT_THAT(Messages(), Contains("User account successfully blocked: alice"));
  EXPECT_THAT(Messages(), Contains("Writting logoff flag for user: alice"));
  RunMinutes(1);
  EXPECT_EQ(LastChange(), "unblocked alice");
  EXPECT_FALSE(service->TimeSynced);
}

}  // namespace
