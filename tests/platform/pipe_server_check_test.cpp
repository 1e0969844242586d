#include "platform/pipe_server_check.h"

#include <gtest/gtest.h>

#include "fakes/fake_service_pipe.h"

namespace {

TEST(PipeServerCheckTest, TrustsOnlyTheServicesOwnProcessAsLocalSystemInTheServicesSession) {
  const auto facts = [](auto change) {
    PipeServerFacts facts;
    facts.serverProcessId = 1234;
    facts.serverSession = 0;
    facts.service = FakeInstalledServices().service;
    change(facts);
    return WhyNotTheService(facts, kServicesSession).value_or("trusted");
  };
  const struct {
    const char* what;
    std::string reason;
  } cases[] = {
      {"the service", facts([](PipeServerFacts&) {})},
      {"session unknown", facts([](PipeServerFacts& f) { f.serverSession.reset(); })},
      {"another process", facts([](PipeServerFacts& f) { f.serverProcessId = 666; })},
      {"server not learnt", facts([](PipeServerFacts& f) {
         f.serverProcessId.reset();
         f.failure = "GetNamedPipeServerProcessId failed with error 5";
       })},
      {"service stopped", facts([](PipeServerFacts& f) { f.service.state = 1; })},
      {"not installed", facts([](PipeServerFacts& f) { f.service.presence = InstalledService::Presence::kNotInstalled; })},
      {"another account", facts([](PipeServerFacts& f) { f.service.account = ".\\alice"; })},
      {"a user's session", facts([](PipeServerFacts& f) { f.serverSession = 1; })},
      {"NT AUTHORITY\\SYSTEM", facts([](PipeServerFacts& f) { f.service.account = "nt authority\\system"; })},
  };
  const char* expected[] = {
      "trusted",
      "trusted",
      "the pipe is served by process 666, not by the service (process 1234)",
      "the program serving the pipe cannot be told (GetNamedPipeServerProcessId failed with error 5)",
      "the service does not run, so another program serves its pipe",
      "the service is not installed, so another program serves its pipe",
      "the service runs as .\\alice, not as LocalSystem",
      "the pipe is served in session 1, not in the services' session 0",
      "trusted",
  };
  for (size_t i = 0; i < std::size(cases); ++i) EXPECT_EQ(cases[i].reason, expected[i]) << cases[i].what;
}

}  // namespace
