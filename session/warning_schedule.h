#pragma once

#include <array>
#include <optional>

// When to warn a user before the service holds them back: once each as the minutes left reach 15,
// 5 and 1. Several marks passed at once (the tool starts late in the day, say) give one warning.
// A mark the minutes left climb back above (a new day, a raised allowance) is armed again.
class WarningSchedule {
 public:
  static constexpr std::array<int, 3> kMarks = {15, 5, 1};

  // Takes the latest minutes left (nothing: nothing holds the user back today). Returns the
  // smallest mark reached by this reading that had not given its warning yet, or nothing.
  std::optional<int> Update(std::optional<int> minutesLeft);
  // Arms every mark again.
  void Reset() { warned_ = {}; }

 private:
  std::array<bool, kMarks.size()> warned_{};
};
