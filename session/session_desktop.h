#pragma once

#include <cstdint>
#include <string>

// What the session tool needs of the user's desktop: a steady clock, the tray icon, the notices
// and the logoff itself.
class SessionDesktop {
 public:
  virtual ~SessionDesktop() = default;
  // Milliseconds from some fixed moment, never set back (unlike the local clock, which the service
  // corrects from the internet).
  virtual uint64_t SteadyMilliseconds() = 0;
  // Shows the tray icon with this tooltip, or removes it for an empty text.
  virtual void ShowTrayTip(const std::string& text) = 0;
  // Shows a warning in a topmost window the user closes; with offerMoreTime it also has the
  // button "Ask for more time...".
  virtual void ShowWarning(const std::string& text, bool offerMoreTime) = 0;
  // Shows, or brings up to date, the topmost notice of the coming end of the session, with the
  // button "Ask for more time..." when offerMoreTime and "I need to save my work" when offerGrace.
  virtual void ShowLogoffNotice(const std::string& text, bool offerMoreTime, bool offerGrace) = 0;
  // Takes the notice of the end away: the countdown has ended, with or without the end.
  virtual void HideLogoffNotice() = 0;
  // Whether the user is typing a parent's code: the dialog is open with digits in its box.
  virtual bool CodeBeingTyped() = 0;
  // Asks the system to end the user's session; false when the request failed.
  virtual bool LogOff() = 0;
  // Asks the system to lock the session's screen, its programs left running; false when the
  // request failed.
  virtual bool Lock() = 0;
};
