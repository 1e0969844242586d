#pragma once

#include <string>

#include <optional>

#include "parentcode/more_time_protocol.h"
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
// The service's answer to a request for more time, in plain words; nothing stands for an
// answer that could not be read.
std::string MoreTimeAnswerText(const std::optional<MoreTimeAnswer>& answer);
// What the dialog says when the service cannot be reached.
inline constexpr char kServiceUnreachableText[] = "The Hourwarden service cannot be reached. Try again in a minute.";
// What it says when another program than the service serves the pipe: the code is not sent.
inline constexpr char kNotTheServiceText[] =
    "Another program pretends to be the Hourwarden service: the code was not sent. Tell a parent.";
// What the dialog says a code gives: "A code gives 30 minutes."
std::string CodeGivesText(int minutes);
// What it says of a code that is not six digits.
inline constexpr char kCodeOfSixDigitsText[] = "Type the six digits of the code.";
