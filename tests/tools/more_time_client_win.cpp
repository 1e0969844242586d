// A console client of the service's pipe for the Wine tests, asking as the account it runs as. It
// trusts the pipe only when the service Hourwarden serves it, in this program's own session (Wine
// runs every program in one session).
//   more_time_client code BASE32 [OFFSET]  prints the code of the secret for this moment (or of the
//                                          step OFFSET steps later)
//   more_time_client ask BASE32 [OFFSET]   asks with that code; prints the answer
//   more_time_client wrong BASE32          asks with a code of no step near this moment, and for the
//                                          tries left
//   more_time_client raw TEXT              sends the text as it is; prints the answer
//   more_time_client status COUNT          asks "status" COUNT times; prints the last answer and
//                                          "longest N ms", the longest wait for an answer
//   more_time_client silent SECONDS        connects, sends nothing; prints "dropped" when the
//                                          service ends the connection within the seconds
//   more_time_client squat SECONDS         keeps taking the pipe and saying nothing for the seconds
//   more_time_client flood SECONDS         sends requests of 1000 bytes for the seconds; prints
//                                          "sent N"
//   more_time_client serve SECONDS         makes the pipe itself, as a program of a session could
//                                          while the service restarts; prints each request it gets

#include <windows.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "parentcode/base32.h"
#include "parentcode/more_time_protocol.h"
#include "parentcode/one_time_code.h"
#include "platform/clock_win.h"
#include "base/date_time.h"
#include "platform/hmac_sha1_win.h"
#include "platform/installed_service_win.h"
#include "parentcode/pipe_client_win.h"
#include "platform/pipe_io_win.h"

namespace {

std::string CodeAt(const std::string& secret, int64_t step) {
  CngHmacSha1 hmac;
  const CodeResult code = CounterCode(hmac, secret, step);
  if (!code.code) {
    std::fprintf(stderr, "%s\n", code.failure.c_str());
    std::exit(2);
  }
  return *code.code;
}

RequestClient::Reply Send(const std::string& request) {
  DWORD session = 0;
  ProcessIdToSessionId(GetCurrentProcessId(), &session);
  WindowsInstalledServiceSource services;
  return PipeRequestClient(kMoreTimePipeName, kServiceName, services, session).Ask(request);
}

int Ask(const std::string& request) {
  const RequestClient::Reply reply = Send(request);
  if (!reply) {
    std::printf("%s: %s\n", NotTheService(reply) ? "untrusted" : "unreachable", reply.Failure().c_str());
    return 1;
  }
  std::fputs(reply.Value().c_str(), stdout);
  return 0;
}

ULONGLONG EndAfter(const char* seconds) { return GetTickCount64() + 1000ull * std::stoi(seconds); }

HANDLE Connect() {
  return CreateFileA(kMoreTimePipeName, GENERIC_READ | FILE_WRITE_DATA, 0, nullptr, OPEN_EXISTING, 0, nullptr);
}

// Holds a connection without a word until the service drops it, then takes the pipe again.
int Squat(ULONGLONG end) {
  while (GetTickCount64() < end) {
    HANDLE pipe = Connect();
    DWORD available = 0;
    while (pipe != INVALID_HANDLE_VALUE && GetTickCount64() < end &&
           PeekNamedPipe(pipe, nullptr, 0, nullptr, &available, nullptr))
      Sleep(50);
    if (pipe != INVALID_HANDLE_VALUE) CloseHandle(pipe);
    else Sleep(20);
  }
  return 0;
}

int Flood(ULONGLONG end) {
  const std::string request(1000, 'x');
  int sent = 0;
  while (GetTickCount64() < end) {
    HANDLE pipe = Connect();
    if (pipe == INVALID_HANDLE_VALUE) {
      WaitNamedPipeA(kMoreTimePipeName, 100);
      continue;
    }
    DWORD written = 0;
    if (WriteFile(pipe, request.data(), static_cast<DWORD>(request.size()), &written, nullptr)) ++sent;
    CloseHandle(pipe);
  }
  std::printf("sent %d\n", sent);
  return 0;
}

int Serve(ULONGLONG end) {
  HANDLE pipe = CreateNamedPipeA(kMoreTimePipeName, PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED,
                                 PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE, 1, 512, 512, 0, nullptr);
  if (pipe == INVALID_HANDLE_VALUE) return 1;
  std::printf("serving\n");
  std::fflush(stdout);
  while (GetTickCount64() < end) {
    if (!ConnectPipe(pipe, static_cast<DWORD>(end - GetTickCount64()), nullptr)) break;
    char request[512];
    const CallResult<DWORD> read = ReadPipe(pipe, request, sizeof request, 2000, nullptr);
    if (read) {
      std::printf("got: %s\n", std::string(request, read.Value()).c_str());
      std::fflush(stdout);
      (void)WritePipe(pipe, "added 60\n", 2000, nullptr);
    }
    DisconnectNamedPipe(pipe);
  }
  CloseHandle(pipe);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string command = argc > 1 ? argv[1] : "";
  if (command == "raw" && argc == 3) return Ask(argv[2]);
  if (command == "squat" && argc == 3) return Squat(EndAfter(argv[2]));
  if (command == "flood" && argc == 3) return Flood(EndAfter(argv[2]));
  if (command == "serve" && argc == 3) return Serve(EndAfter(argv[2]));
  if (command == "status" && argc == 3) {
    long long longest = 0;
    RequestClient::Reply reply = CallFailure{"", 0};
    for (int i = 0; i < std::stoi(argv[2]); ++i) {
      const auto start = std::chrono::steady_clock::now();
      reply = Send(kStatusRequest);
      const auto took = std::chrono::steady_clock::now() - start;
      longest = std::max<long long>(longest, std::chrono::duration_cast<std::chrono::milliseconds>(took).count());
      if (!reply) break;
    }
    std::printf("%slongest %lld ms\n", reply ? reply.Value().c_str() : (reply.Failure() + "\n").c_str(), longest);
    return reply ? 0 : 1;
  }
  if (command == "silent" && argc == 3) {
    HANDLE pipe = Connect();
    if (pipe == INVALID_HANDLE_VALUE) return 1;
    const ULONGLONG end = EndAfter(argv[2]);
    DWORD available = 0;
    // The service's end goes away: PeekNamedPipe then fails with a broken pipe.
    while (GetTickCount64() < end && PeekNamedPipe(pipe, nullptr, 0, nullptr, &available, nullptr)) Sleep(100);
    const bool dropped = GetTickCount64() < end;
    CloseHandle(pipe);
    std::printf(dropped ? "dropped\n" : "kept\n");
    return 0;
  }
  if (argc < 3) {
    std::fprintf(stderr, "usage: more_time_client code|ask|wrong BASE32 [OFFSET] | raw TEXT | status COUNT | "
                         "silent|squat|flood|serve SECONDS\n");
    return 2;
  }
  const std::optional<std::string> secret = DecodeBase32(argv[2]);
  if (!secret) return 2;
  const int64_t step = CodeStep(UnixSeconds(WindowsClock().UtcNow())) + (argc == 4 ? std::stoi(argv[3]) : 0);
  if (command == "code") {
    std::printf("%s\n", CodeAt(*secret, step).c_str());
    return 0;
  }
  std::string code = CodeAt(*secret, step);
  if (command == "wrong") {
    // A code that none of the steps near now has.
    for (int candidate = 0;; ++candidate) {
      char text[8];
      std::snprintf(text, sizeof text, "%06d", candidate);
      if (text != CodeAt(*secret, step - 1) && text != CodeAt(*secret, step) && text != CodeAt(*secret, step + 1) &&
          text != CodeAt(*secret, step + 2)) {
        code = text;
        break;
      }
    }
  } else if (command != "ask") {
    return 2;
  }
  return Ask(FormatMoreTimeRequest({code, command == "wrong"}));
}
