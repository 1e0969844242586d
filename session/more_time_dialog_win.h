#pragma once

#include <windows.h>

#include <functional>
#include <string>

// The dialog "Ask for more time": what a code gives, the parent's code and the answer. The minutes
// are the administrator's, so the user types the code and nothing else. It stays above the
// notices (which are topmost themselves) until the user closes it.
class MoreTimeDialog {
 public:
  // Sends the code, returns the answer in plain words.
  using Ask = std::function<std::string(const std::string& code)>;

  MoreTimeDialog() = default;
  ~MoreTimeDialog();
  MoreTimeDialog(const MoreTimeDialog&) = delete;
  MoreTimeDialog& operator=(const MoreTimeDialog&) = delete;

  // Opens the dialog saying what a code gives (nothing to ask for when 0), or brings it to the
  // front when it is open; false when it could not be made.
  bool Open(int minutesByCode, Ask ask);
  HWND Handle() const { return window_; }

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  bool Create(int minutesByCode);
  void Send();

  Ask ask_;
  HWND window_ = nullptr;
  HWND code_ = nullptr;
  HWND answer_ = nullptr;
  HFONT font_ = nullptr;
};
