#include "hwctl/installation_check.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "core/installation.h"
#include "core/version.h"
#include "fakes/fake_service_pipe.h"
#include "fakes/hwctl_fixture.h"

namespace {

using ::testing::HasSubstr;

// A PC with the service installed as it should be, running, listed for Safe Mode and answering.
struct ServicePc : HwctlFixture {
  ServicePc() {
    for (const char* list : {kSafeModeMinimalList, kSafeModeNetworkList})
      registry.SetStringForTesting(SafeModeEntryKey(list, kServiceName), "", "Service");
    client.answer = "status version=" + std::string(kHourwardenVersion) + " time=confirmed code=off minutes=0\n";
  }
  InstallationFindings Check() {
    const std::unique_ptr<RegistryAccess> access = registry.Open();
    return CheckInstallation(services.service, *access, client);
  }
  // "value: rule" of every problem, and of every warning after "warning: ".
  std::string Findings() {
    const InstallationFindings findings = Check();
    std::string text;
    for (const Problem& problem : findings.problems) text += problem.value + ": " + problem.rule + "\n";
    for (const Problem& warning : findings.warnings) text += "warning: " + warning.value + ": " + warning.rule + "\n";
    return text;
  }

  FakeInstalledServices services;
  ScriptedRequestClient client;
};

class InstallationCheckTest : public ::testing::Test, protected ServicePc {};

TEST_F(InstallationCheckTest, ASoundInstallationIsRunningAndAnswering) {
  const InstallationFindings findings = Check();
  EXPECT_TRUE(findings.problems.empty()) << Findings();
  EXPECT_EQ(findings.summary, "Service: running and answering on \\\\.\\pipe\\Hourwarden (version " +
                                  std::string(kHourwardenVersion) + ", time confirmed).\n");
  EXPECT_EQ(client.requests, std::vector<std::string>{"status\n"});
}

TEST_F(InstallationCheckTest, NamesWhatIsNotAsItShouldBe) {
  const struct {
    const char* what;
    void (*change)(ServicePc&);
    const char* finding;
  } cases[] = {
      {"not installed", [](auto& t) { t.services.service.presence = InstalledService::Presence::kNotInstalled; },
       "(installed): not installed, so no restricted account is held back"},
      {"manual start", [](auto& t) { t.services.service.startType = 3; }, "Start: not started when the computer starts"},
      {"another account", [](auto& t) { t.services.service.account = ".\\admin"; }, "Account: runs as .\\admin"},
      {"no restart", [](auto& t) { t.services.service.failureActions.clear(); },
       "FailureActions: Windows does not restart the service after every failure"},
      {"a reboot among them", [](auto& t) { t.services.service.failureActions[2].type = 2; },
       "FailureActions: Windows does not restart"},
      {"flag not set", [](auto& t) { t.services.service.failureActionsOnNonCrashFailures = false; },
       "FailureActionsFlag: not set: a start that fails is not restarted"},
      {"flag unknown",
       [](auto& t) {
         t.services.service.failureActionsOnNonCrashFailures.reset();
         t.services.service.failureActionsFlagFailure = "QueryServiceConfig2A failed with error 124";
       },
       "FailureActionsFlag: could not be read (QueryServiceConfig2A failed with error 124)"},
      {"no Safe Mode entry", [](auto& t) { t.registry.DeleteKeyForTesting(SafeModeEntryKey(kSafeModeMinimalList, kServiceName)); },
       "SafeBoot\\Minimal: no entry whose default value is \"Service\": the service does not start in Safe Mode"},
      {"stopped", [](auto& t) { t.services.service.state = 1; }, "State: not running, so no restricted account"},
      {"silent", [](auto& t) { t.client.answer.reset(); }, "Pipe: no status on \\\\.\\pipe\\Hourwarden (CreateFileA failed"},
      {"a squatter", [](auto& t) { t.client.notTheService = true; },
       "Pipe: another program serves \\\\.\\pipe\\Hourwarden: the pipe is served by process 7"},
      {"time not confirmed",
       [](auto& t) { t.client.answer = "status version=" + std::string(kHourwardenVersion) + " time=unconfirmed code=off minutes=0"; },
       "warning: Time: not confirmed from the internet yet"},
  };
  for (const auto& c : cases) {
    ServicePc fresh;
    c.change(fresh);
    EXPECT_THAT(fresh.Findings(), HasSubstr(c.finding)) << c.what;
  }
  services.service.state = 1;
  Check();
  EXPECT_TRUE(client.requests.empty()) << "a stopped service is not asked";
}

TEST_F(InstallationCheckTest, HwctlCheckAddsTheInstallationUnlessToldNot) {
  system.services = &services;
  system.serviceClient = &client;
  ASSERT_EQ(Hwctl({"add", "alice"}).exitCode, kExitSuccess);
  ASSERT_EQ(Hwctl({"path", "C:\\Hourwarden\\"}).exitCode, kExitSuccess);
  EXPECT_EQ(Hwctl({"check"}).exitCode, kExitSuccess) << Hwctl({"check"}).output;
  EXPECT_THAT(Hwctl({"check"}).output, HasSubstr("Service: running and answering"));
  services.service.state = 1;
  const CommandResult stopped = Hwctl({"check"});
  EXPECT_EQ(stopped.exitCode, kExitRefused);
  EXPECT_THAT(stopped.output, HasSubstr("Hourwarden service: State: not running"));
  EXPECT_THAT(stopped.output, HasSubstr("Service: not running."));
  EXPECT_EQ(Hwctl({"check", "--config-only"}).exitCode, kExitSuccess);
  EXPECT_EQ(services.asked, std::vector<std::string>(3, "Hourwarden"));
}

}  // namespace
