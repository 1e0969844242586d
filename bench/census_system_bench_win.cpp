// The census of a tick against the system it runs on (run it under Wine, through
// scripts/bench_census.sh, in a prefix of its own): it starts long-lived processes, then times,
// interleaved in one run, the census that queries every process, the bare process snapshot and
// the census from the snapshot at steady state, with a few processes ended and started between
// rounds as between two ticks, and prints the medians and their ratios.
//
//   census_system_bench [--processes N] [--rounds R] [--new K] [--tick-ms T]
//     N long-lived processes (150), R rounds (30), K processes ended and started in each round
//     (5), spread over T milliseconds (2000, the service's tick)
//   census_system_bench --child      waits until it is ended (one of the started processes)

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <string>
#include <vector>

#include "census/process_census.h"
#include "census/process_source_win.h"
#include "fakes/service_fixture.h"
#include "platform/unique_handle_win.h"

namespace {

double Milliseconds(LARGE_INTEGER from, LARGE_INTEGER to) {
  static const double ticksPerMs = [] {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(frequency.QuadPart) / 1000.0;
  }();
  return static_cast<double>(to.QuadPart - from.QuadPart) / ticksPerMs;
}

template <typename Work>
double Time(Work work) {
  LARGE_INTEGER from, to;
  QueryPerformanceCounter(&from);
  work();
  QueryPerformanceCounter(&to);
  return Milliseconds(from, to);
}

// The system's processes, counting the questions the census asks about single processes.
class CountingSource : public WindowsProcessSource {
 public:
  explicit CountingSource(bool snapshot) : snapshot_(snapshot) {}
  CallResult<std::vector<SnapshotProcess>> TakeSnapshot() override {
    if (snapshot_) return WindowsProcessSource::TakeSnapshot();
    return CallFailure{"the census that queries every process"};
  }
  ProcessQueryResult QueryProcess(uint32_t processId, ProcessDetails& details) override {
    ++queries;
    ProcessQueryResult result;
    queryMs += Time([&] { result = WindowsProcessSource::QueryProcess(processId, details); });
    return result;
  }
  CallResult<std::string> FindAccountName(const std::string& sid) override {
    ++lookups;
    return WindowsProcessSource::FindAccountName(sid);
  }

  long queries = 0;
  long lookups = 0;
  double queryMs = 0;  // spent in the queries

 private:
  bool snapshot_;
};

// A service object whose census asks the system, through a source with or without the snapshot.
struct Census {
  explicit Census(bool snapshot) : source(snapshot) {
    fixture.platform.processSource = &source;
    service = &fixture.Build();
    service->DebugLevel = 2;  // the level of a service without a Debug value
  }
  void Run() {
    UpdateProcessList(*service);
    service->ProcessEvents.Clear();
    service->DebugLines.Clear();
  }

  CountingSource source;
  ServiceFixture fixture;
  THourwarden* service = nullptr;
};

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const size_t middle = values.size() / 2;
  return values.size() % 2 != 0 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

struct Child {
  UniqueHandle process;
  DWORD id = 0;
};

// Starts one more process, which writes a byte to ready once it has reached its main function:
// started and loaded, as a program that started since the tick before is.
Child StartChild(HANDLE ready) {
  char self[MAX_PATH];
  GetModuleFileNameA(nullptr, self, sizeof self);
  std::string command = std::string("\"") + self + "\" --child";
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = ready;
  PROCESS_INFORMATION created{};
  // DETACHED_PROCESS: no console, so Wine starts no console host beside each process.
  if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, TRUE, DETACHED_PROCESS, nullptr, nullptr, &startup,
                      &created)) {
    std::fprintf(stderr, "CreateProcessA failed with error %lu\n", GetLastError());
    std::exit(1);
  }
  CloseHandle(created.hThread);
  Child child;
  child.process = UniqueHandle(created.hProcess);
  child.id = created.dwProcessId;
  return child;
}

// Waits until that many started processes have reached their main function.
void WaitUntilReady(HANDLE ready, int count) {
  std::vector<char> bytes(static_cast<size_t>(count));
  DWORD got = 0;
  for (size_t done = 0; done < bytes.size(); done += got) {
    if (!ReadFile(ready, bytes.data() + done, static_cast<DWORD>(bytes.size() - done), &got, nullptr) || got == 0) {
      std::fprintf(stderr, "ReadFile failed with error %lu\n", GetLastError());
      std::exit(1);
    }
  }
}

void End(Child& child) {
  TerminateProcess(child.process.Get(), 0);
  WaitForSingleObject(child.process.Get(), 5000);
}

// Shows the lines that only one of the two censuses of a round gave.
void PrintDifference(const ServiceState& today, const ServiceState& fromSnapshot) {
  for (const std::string& line : today.CurrentProcesses) {
    if (fromSnapshot.CurrentProcesses.IndexOf(line) < 0) std::printf("  only querying every process: %s\n", line.c_str());
  }
  for (const std::string& line : fromSnapshot.CurrentProcesses) {
    if (today.CurrentProcesses.IndexOf(line) < 0) std::printf("  only from the snapshot: %s\n", line.c_str());
  }
}

int Argument(int argc, char** argv, const char* name, int fallback) {
  for (int i = 1; i + 1 < argc; ++i) {
    if (std::strcmp(argv[i], name) == 0) return std::atoi(argv[i + 1]);
  }
  return fallback;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && std::strcmp(argv[1], "--child") == 0) {
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), "r", 1, &written, nullptr);
    Sleep(INFINITE);
    return 0;
  }
  const int processes = Argument(argc, argv, "--processes", 150);
  const int rounds = Argument(argc, argv, "--rounds", 30);
  const int fresh = Argument(argc, argv, "--new", 5);
  const int tickMs = Argument(argc, argv, "--tick-ms", 2000);

  // The started processes inherit the writing end only.
  SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
  UniqueHandle ready, readyWriter;
  if (!CreatePipe(ready.Receive(), readyWriter.Receive(), &inheritable, 0) ||
      !SetHandleInformation(ready.Get(), HANDLE_FLAG_INHERIT, 0)) {
    std::fprintf(stderr, "CreatePipe failed with error %lu\n", GetLastError());
    return 1;
  }
  std::deque<Child> children;
  for (int i = 0; i < processes; ++i) children.push_back(StartChild(readyWriter.Get()));
  WaitUntilReady(ready.Get(), processes);

  Census today(false);
  Census fromSnapshot(true);
  WindowsProcessSource bare;
  const CallResult<std::vector<SnapshotProcess>> first = bare.TakeSnapshot();
  if (!first) {
    std::fprintf(stderr, "no snapshot: %s\n", first.Failure().c_str());
    return 1;
  }
  size_t snapshotSize = first.Value().size();
  today.Run();
  fromSnapshot.Run();
  fromSnapshot.source.queries = fromSnapshot.source.lookups = 0;
  fromSnapshot.source.queryMs = today.source.queryMs = 0;
  today.source.queries = 0;

  std::vector<double> todayMs, snapshotMs, fromSnapshotMs;
  int sameLines = 0;
  size_t listed = 0;
  for (int round = 0; round < rounds; ++round) {
    // Between two ticks a few programs end and a few start, spread over the time of a tick.
    for (int i = 0; i < fresh; ++i) {
      End(children.front());
      children.pop_front();
      children.push_back(StartChild(readyWriter.Get()));
      WaitUntilReady(ready.Get(), 1);
      Sleep(static_cast<DWORD>(tickMs / fresh));
    }

    // The order turns from round to round, so that no variant always runs first.
    for (int turn = 0; turn < 3; ++turn) {
      switch ((round + turn) % 3) {
        case 0:
          todayMs.push_back(Time([&] { today.Run(); }));
          break;
        case 1:
          snapshotMs.push_back(Time([&] {
            const CallResult<std::vector<SnapshotProcess>> taken = bare.TakeSnapshot();
            if (taken) snapshotSize = taken.Value().size();
          }));
          break;
        case 2:
          fromSnapshotMs.push_back(Time([&] { fromSnapshot.Run(); }));
          break;
      }
    }
    if (today.service->CurrentProcesses == fromSnapshot.service->CurrentProcesses &&
        today.service->LoggedOnUsers == fromSnapshot.service->LoggedOnUsers)
      ++sameLines;
    else
      PrintDifference(*today.service, *fromSnapshot.service);
    listed = static_cast<size_t>(fromSnapshot.service->CurrentProcesses.Count());
  }
  for (Child& child : children) End(child);

  const double todayMedian = Median(todayMs);
  const double snapshotMedian = Median(snapshotMs);
  const double fromSnapshotMedian = Median(fromSnapshotMs);
  std::printf("processes in the snapshot: %zu, listed by the census: %zu; %d new per round, %d rounds\n",
              snapshotSize, listed, fresh, rounds);
  std::printf("median ms per tick: census querying every process %.2f, bare snapshot %.2f, census from the "
              "snapshot %.2f\n",
              todayMedian, snapshotMedian, fromSnapshotMedian);
  std::printf("census from the snapshot / bare snapshot: %.2fx (target at most 1.2x)\n",
              fromSnapshotMedian / snapshotMedian);
  std::printf("census querying every process / census from the snapshot: %.1fx\n",
              todayMedian / fromSnapshotMedian);
  std::printf("census from the snapshot: %.1f process queries and %.1f account lookups per tick\n",
              static_cast<double>(fromSnapshot.source.queries) / rounds,
              static_cast<double>(fromSnapshot.source.lookups) / rounds);
  std::printf("ms per process query: census from the snapshot %.2f, census querying every process %.2f\n",
              fromSnapshot.source.queryMs / std::max(1L, fromSnapshot.source.queries),
              today.source.queryMs / std::max(1L, today.source.queries));
  std::printf("rounds in which both censuses gave the same lines and users: %d of %d\n", sameLines, rounds);
  return 0;
}
