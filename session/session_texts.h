#pragma once

#include <string>

#include <optional>

#include "engine/time_left.h"
#include "parentcode/more_time_protocol.h"

// The texts a restricted user sees from the session tool, in words a child reads at a glance. A
// number and its unit are joined by a no-break space (UTF-8), so a line never splits them.

// How the session ends when the time is up (the product value EndSession).
enum class SessionEnd { kSignOut, kLock };

// A span of minutes for people: "45 min", "2 h", "1 h 5 min".
std::string DurationText(int minutes);
// The tray icon's tooltip: the time left today and what ends it.
std::string TrayTipText(const TimeLeft& timeLeft);
// The warning shown as the time left runs out, with the clock time it ends at (the local
// date-time now plus the minutes left).
std::string WarningText(const TimeLeft& timeLeft, double now, SessionEnd end);
// The notice shown while the end of the session counts down.
std::string CountdownText(int secondsLeft, SessionEnd end);
// The notice shown while the end waits for a parent's code being typed.
std::string TypingWaitText(int secondsLeft, SessionEnd end);
// The notice shown while the minutes to save one's work run, until the given clock time.
std::string GraceText(const std::string& until, SessionEnd end);
// The service's answer to a request for more time, in plain words; nothing stands for an
// answer that could not be read.
std::string MoreTimeAnswerText(const std::optional<MoreTimeAnswer>& answer);
// What the dialog says when the service cannot be reached.
inline constexpr char kServiceUnreachableText[] = "Hourwarden is not answering. Try again in a minute.";
// What it says when another program than the service serves the pipe: the code is not sent.
inline constexpr char kNotTheServiceText[] =
    "Another program pretends to be the Hourwarden service: the code was not sent. Tell a parent.";
// What the dialog says a code gives: "A code gives 30 minutes."
std::string CodeGivesText(int minutes);
// What it says of a code that is not six digits.
inline constexpr char kCodeOfSixDigitsText[] = "Type the six digits of the code.";
