#pragma once

#include <cstdint>
#include <string>

// What the service keeps of one restricted user's parent's codes, so that the wrong ones are
// counted and a day's minutes by code add up, across restarts too. The step of the last accepted
// code is the computer's, not the user's (ServiceState::MachineCodeStep).
struct CodeRecord {
  int32_t wrongCodes = 0;     // wrong codes in a row since the last accepted one or lock-out
  int64_t lockedUntil = 0;    // UTC seconds until which no code is checked; 0: none
  int32_t minutesGiven = 0;   // minutes given by code on givenDate
  std::string givenDate;      // "dd.mm.yyyy" of minutesGiven

  bool operator==(const CodeRecord&) const = default;
};
