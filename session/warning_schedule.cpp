#include "session/warning_schedule.h"

std::optional<int> WarningSchedule::Update(std::optional<int> minutesLeft) {
  std::optional<int> due;
  for (size_t i = 0; i < kMarks.size(); ++i) {
    if (!minutesLeft || *minutesLeft > kMarks[i]) {
      warned_[i] = false;
    } else if (!warned_[i]) {
      warned_[i] = true;
      due = kMarks[i];
    }
  }
  return due;
}
