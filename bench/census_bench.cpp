// The census of one tick: the processes listed and queried (from memory here, so only the
// service's own work is measured), compared with the census before, owners collected and the
// event lines of the changes appended. The census from a snapshot queries only the processes it
// has not seen; the census without one queries every process.

#include <benchmark/benchmark.h>

#include <string>

#include "census/process_census.h"
#include "fakes/service_fixture.h"
#include "base/date_time.h"

namespace {

const char* const kOwners[] = {"SYSTEM", "LOCAL SERVICE", "NETWORK SERVICE", "alice", "bob", "Alice"};

void SetProcess(FakeProcessSource& source, uint32_t id, int version) {
  const std::string moduleName = "program" + std::to_string(id) + ".exe";
  source.SetProcess(id, kOwners[id % std::size(kOwners)], moduleName,
                    "\\Device\\HarddiskVolume3\\Program Files\\Vendor\\Product " + std::to_string(version) + "\\" +
                        moduleName);
}

// Arguments: the number of processes, how many of them differ from the census before, and
// whether the system gives a snapshot (1) or the processes are queried one by one (0).
void BM_CensusTick(benchmark::State& state) {
  const int processes = static_cast<int>(state.range(0));
  const int changes = static_cast<int>(state.range(1));
  ServiceFixture fixture;
  fixture.processSource.snapshotAvailable = state.range(2) != 0;
  THourwarden& service = fixture.Build();
  service.DebugLevel = 2;
  service.CycleNow = EncodeDateTime({2026, 12, 8, 3, 34, 30, 0});
  for (int i = 1; i <= processes; ++i) SetProcess(fixture.processSource, static_cast<uint32_t>(i * 4), 1);
  UpdateProcessList(service);

  int version = 1;
  for (auto _ : state) {
    state.PauseTiming();
    // The same ids now run other programs: each change is one exit and one start.
    ++version;
    for (int i = 1; i <= changes; ++i) SetProcess(fixture.processSource, static_cast<uint32_t>(i * 4), version);
    service.ProcessEvents.Clear();
    fixture.processSource.queried.clear();
    state.ResumeTiming();

    UpdateProcessList(service);
  }
  if (service.ProcessEvents.Count() != 2 * changes || service.CurrentProcesses.Count() != processes)
    state.SkipWithError("the census did not see the expected changes");
  state.SetComplexityN(processes);
  state.counters["processes"] = processes;
}

// The tick of a busy machine: 1024 processes, 10 of them changed.
// The smaller sizes show how the cost grows with the number of processes.
BENCHMARK(BM_CensusTick)
    ->ArgNames({"processes", "changes", "snapshot"})
    ->Args({128, 10, 1})
    ->Args({256, 10, 1})
    ->Args({512, 10, 1})
    ->Args({1024, 10, 1})
    ->Unit(benchmark::kMicrosecond)
    ->Complexity(benchmark::oN);

// The same machine when nothing changed and when every process changed, and without a snapshot.
BENCHMARK(BM_CensusTick)
    ->Name("BM_CensusTickChanges")
    ->ArgNames({"processes", "changes", "snapshot"})
    ->Args({1024, 0, 1})
    ->Args({1024, 1024, 1})
    ->Args({1024, 10, 0})
    ->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
