// A console client of the service's pipe for the Wine tests, asking as the account it runs as:
//   more_time_client code BASE32 [OFFSET]   prints the code of the secret for this moment (or of the
//                                           step OFFSET steps later)
//   more_time_client ask BASE32 MINUTES [OFFSET]  asks for the minutes with that code (or the code of
//                                           the step OFFSET steps later); prints the answer
//   more_time_client wrong BASE32 MINUTES   asks with a code of no step near this moment
//   more_time_client raw TEXT               sends the text as it is; prints the answer
//   more_time_client silent SECONDS         connects, sends nothing; prints "dropped" when the
//                                           service ends the connection within the seconds

#include <windows.h>

#include <cstdio>
#include <string>

#include "parentcode/base32.h"
#include "parentcode/more_time_protocol.h"
#include "parentcode/one_time_code.h"
#include "platform/hmac_sha1_win.h"
#include "platform/clock_win.h"
#include "platform/date_time.h"
#include "session/more_time_client_win.h"

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

int Ask(const std::string& request) {
  PipeMoreTimeClient client(kMoreTimePipeName);
  const MoreTimeClient::Reply reply = client.Ask(request);
  if (!reply.answer) {
    std::printf("unreachable: %s\n", reply.failure.c_str());
    return 1;
  }
  std::fputs(reply.answer->c_str(), stdout);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string command = argc > 1 ? argv[1] : "";
  if (command == "raw" && argc == 3) return Ask(argv[2]);
  if (command == "silent" && argc == 3) {
    HANDLE pipe = CreateFileA(kMoreTimePipeName, GENERIC_READ | FILE_WRITE_DATA, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (pipe == INVALID_HANDLE_VALUE) return 1;
    const ULONGLONG end = GetTickCount64() + 1000ull * std::stoi(argv[2]);
    DWORD available = 0;
    // The service's end goes away: PeekNamedPipe then fails with a broken pipe.
    while (GetTickCount64() < end && PeekNamedPipe(pipe, nullptr, 0, nullptr, &available, nullptr)) Sleep(100);
    const bool dropped = GetTickCount64() < end;
    CloseHandle(pipe);
    std::printf(dropped ? "dropped\n" : "kept\n");
    return 0;
  }
  if (argc < 3) {
    std::fprintf(stderr, "usage: more_time_client code|ask|wrong BASE32 [MINUTES] | raw TEXT | silent SECONDS\n");
    return 2;
  }
  const std::optional<std::string> secret = DecodeBase32(argv[2]);
  if (!secret) return 2;
  const int64_t step = CodeStep(UnixSeconds(WindowsClock().UtcNow()));
  if (command == "code") {
    std::printf("%s\n", CodeAt(*secret, step + (argc == 4 ? std::stoi(argv[3]) : 0)).c_str());
    return 0;
  }
  if (argc != 4 && argc != 5) return 2;
  const int minutes = std::stoi(argv[3]);
  std::string code = CodeAt(*secret, step + (argc == 5 ? std::stoi(argv[4]) : 0));
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
  return Ask(FormatMoreTimeRequest({code, minutes}));
}
