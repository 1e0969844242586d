#pragma once

#include <windows.h>

#include <functional>
#include <string>

// The dialog "Ask for more time": what a code gives, the parent's code and the answer. The minutes
// are the administrator's, so the user types the code and nothing else. It stays above the
// notices (which are topmost themselves) until the user closes it, placed below the countdown so
// that the seconds stay in sight. An accepted code is told in green with the information icon, any
// other answer in red with the error icon.
class MoreTimeDialog {
 public:
  // The service's answer in plain words (UTF-8), and whether the code was accepted.
  struct Answer {
    std::string text;
    bool accepted = false;
    bool keepCode = false;  // the code was not sent (too short, no service): the digits stay
  };
  // Sends the code and returns the answer.
  using Ask = std::function<Answer(const std::string& code)>;

  MoreTimeDialog() = default;
  ~MoreTimeDialog();
  MoreTimeDialog(const MoreTimeDialog&) = delete;
  MoreTimeDialog& operator=(const MoreTimeDialog&) = delete;

  // Opens the dialog saying what a code gives (nothing to ask for when 0), below the window
  // `above` when it is shown, or brings it to the front when it is open; false when it could not
  // be made.
  bool Open(int minutesByCode, Ask ask, HWND above);
  // Whether digits are typed in the open dialog's box.
  bool CodeBeingTyped() const;
  HWND Handle() const { return window_; }

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  bool Create(int minutesByCode, HWND above);
  // The font and the layout of the dialog's controls at dpi.
  void ApplyDpi(int dpi);
  void Send();

  Ask ask_;
  HWND window_ = nullptr;
  HWND code_ = nullptr;
  HWND answer_ = nullptr;
  HWND answerIcon_ = nullptr;
  HWND gives_ = nullptr;
  HWND prompt_ = nullptr;
  HWND askButton_ = nullptr;
  HWND close_ = nullptr;
  HFONT font_ = nullptr;
  bool accepted_ = false;
};
