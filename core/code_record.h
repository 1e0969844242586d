#pragma once

#include <cstdint>
#include <string>

// What the service keeps of one restricted user's parent's codes, so that no code is taken twice,
// the wrong ones are counted and a day's minutes by code add up, across restarts too.
struct CodeRecord {
  int32_t wrongCodes = 0;     // wrong codes in a row since the last accepted one or lock-out
  int64_t lockedUntil = 0;    // UTC seconds until which no code is checked; 0: none
  int64_t lastStep = 0;       // the 30-second step of the last accepted code; 0: none yet
  int32_t minutesGiven = 0;   // minutes given by code on givenDate
  std::string givenDate;      // "dd.mm.yyyy" of minutesGiven

  bool operator==(const CodeRecord&) const = default;
};
