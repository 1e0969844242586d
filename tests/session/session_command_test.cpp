#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>

#include "fakes/recording_dialogs.h"
#include "session/session_options.h"
#include "session/startup_entry.h"

namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

TEST(SessionCommandLineTest, TimingSwitchesCanOnlyMakeTheToolStricter) {
  const struct {
    std::vector<std::string> arguments;
    int countdown, poll;
  } cases[] = {
      {{}, 60, 5000},
      {{"/countdown=5", "-POLL=200"}, 5, 200},
      {{"/countdown=61", "/poll=5001"}, 60, 5000},  // longer than the defaults
      {{"/countdown=0", "/poll=99"}, 60, 5000},     // too short to be meant
      {{"/countdown=", "/poll=2s", "/countdown 5"}, 60, 5000},
      {{"countdown=5", "/countdown=-5"}, 60, 5000},
  };
  for (const auto& c : cases) {
    const SessionCommandLine commandLine = ParseSessionCommandLine(c.arguments);
    EXPECT_EQ(commandLine.timing.countdownSeconds, c.countdown) << ::testing::PrintToString(c.arguments);
    EXPECT_EQ(commandLine.timing.pollMilliseconds, c.poll) << ::testing::PrintToString(c.arguments);
  }
}

TEST(SessionCommandLineTest, TheTestHooksAreOnlyUsedWhenGiven) {
  EXPECT_EQ(ParseSessionCommandLine({"/poll=200"}).logoffLogForTesting, "");
  EXPECT_EQ(ParseSessionCommandLine({"/poll=200"}).servicesSessionForTesting, 0u);
  EXPECT_EQ(ParseSessionCommandLine({"/ServiceSessionForTesting=1"}).servicesSessionForTesting, 1u);
  EXPECT_EQ(ParseSessionCommandLine({"/LogoffLogForTesting=C:\\a b\\log=1.txt"}).logoffLogForTesting,
            "C:\\a b\\log=1.txt");
}

// The Run key as a map; a failure code for the next operation when set.
class FakeStartupRegistry : public StartupRegistry {
 public:
  CallResult<> SetStartupCommand(const std::string& name, const std::string& command) override {
    if (error != 0) return CallFailure{"RegSetValueExW failed", error};
    values[name] = command;
    return {};
  }
  CallResult<> RemoveStartupCommand(const std::string& name) override {
    if (error != 0) return CallFailure{"RegDeleteValueW failed", error};
    values.erase(name);
    return {};
  }
  std::string ErrorText(uint32_t code) override { return "text of " + std::to_string(code); }

  uint32_t error = 0;
  std::map<std::string, std::string> values;
};

TEST(StartupEntryTest, InstallAddsTheQuotedFullPathAndUninstallRemovesIt) {
  FakeStartupRegistry registry;
  RecordingDialogs dialogs;
  EXPECT_TRUE(InstallSessionStart(registry, dialogs, "C:\\Program Files\\Hourwarden\\hourwarden-session.exe", false));
  EXPECT_EQ(registry.values["Hourwarden session"], "\"C:\\Program Files\\Hourwarden\\hourwarden-session.exe\"");
  EXPECT_TRUE(UninstallSessionStart(registry, dialogs, false));
  EXPECT_THAT(registry.values, IsEmpty());
  EXPECT_THAT(dialogs.shown, ElementsAre("Information: Hourwarden session tool installed successfully",
                                         "Information: Hourwarden session tool uninstalled successfully"));
}

TEST(StartupEntryTest, SilentHidesOnlyTheSuccessAndFailuresAreShown) {
  FakeStartupRegistry registry;
  RecordingDialogs dialogs;
  EXPECT_TRUE(InstallSessionStart(registry, dialogs, "C:\\h.exe", true));
  EXPECT_TRUE(UninstallSessionStart(registry, dialogs, true));
  EXPECT_THAT(dialogs.shown, IsEmpty());
  registry.error = 5;
  EXPECT_FALSE(InstallSessionStart(registry, dialogs, "C:\\h.exe", true));
  EXPECT_FALSE(UninstallSessionStart(registry, dialogs, true));
  EXPECT_THAT(dialogs.shown,
              ElementsAre("Error: Hourwarden session tool failed to install with error: \"text of 5\"",
                          "Error: Hourwarden session tool failed to uninstall with error: \"text of 5\""));
}

}  // namespace
