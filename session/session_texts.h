#pragma once

#include <string>

#include "session/time_left.h"

// The texts a restricted user sees from the session tool.

// A span of minutes for people: "45 min", "2 h", "1 h 5 min".
std::string DurationText(int minutes);
// The tray icon's tooltip: the time left today and what ends it.
std::string TrayTipText(const TimeLeft& timeLeft);
// The warning shown as the time left runs out.
std::string WarningText(const TimeLeft& timeLeft);
// The notice shown while the logoff counts down.
std::string CountdownText(int secondsLeft);
