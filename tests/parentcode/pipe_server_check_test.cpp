#include "parentcode/pipe_server_check.h"

#include <gtest/gtest.h>

#include "fakes/fake_service_pipe.h"

namespace {

TEST(PipeServerCheckTest, TrustsOnlyTheServicesOwnProcessAsLocalSystemInTheServicesSession) {
  const struct {
    void (*change)(PipeServerFacts&);
    const char* reason;
  } cases[] = {
      {[](PipeServerFacts&) {}, "trusted"},
      {[](PipeServerFacts& f) { f.serverSession.reset(); }, "trusted"},
      {[](PipeServerFacts& f) { f.service.account = "nt authority\\system"; }, "trusted"},
      {[](PipeServerFacts& f) { f.serverProcessId = 666; },
       "the pipe is served by process 666, not by the service (process 1234)"},
      {[](PipeServerFacts& f) { f.serverProcessId = CallFailure{"GetNamedPipeServerProcessId failed"}; },
       "the program serving the pipe cannot be told (GetNamedPipeServerProcessId failed)"},
      {[](PipeServerFacts& f) { f.service.state = 1; }, "the service does not run, so another program serves its pipe"},
      {[](PipeServerFacts& f) { f.service.presence = InstalledService::Presence::kNotInstalled; },
       "the service is not installed, so another program serves its pipe"},
      {[](PipeServerFacts& f) { f.service.account = ".\\alice"; }, "the service runs as .\\alice, not as LocalSystem"},
      {[](PipeServerFacts& f) { f.serverSession = 1; }, "the pipe is served in session 1, not in the services' session 0"},
  };
  for (const auto& c : cases) {
    PipeServerFacts facts{1234, 0, FakeInstalledServices().service};
    c.change(facts);
    EXPECT_EQ(WhyNotTheService(facts, kServicesSession).value_or("trusted"), c.reason);
  }
}

}  // namespace
