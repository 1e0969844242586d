#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

// The dialog "Ask for more time": the parent's code, the choice of minutes and the answer. It
// stays above the notices (which are topmost themselves) until the user closes it.
class MoreTimeDialog {
 public:
  // Sends the code and the minutes, returns the answer in plain words.
  using Ask = std::function<std::string(const std::string& code, int minutes)>;

  MoreTimeDialog() = default;
  ~MoreTimeDialog();
  MoreTimeDialog(const MoreTimeDialog&) = delete;
  MoreTimeDialog& operator=(const MoreTimeDialog&) = delete;

  // Opens the dialog with these choices of minutes (the first one chosen), or brings it to the
  // front when it is open; false when it could not be made.
  bool Open(const std::vector<int>& choices, Ask ask);
  HWND Handle() const { return window_; }

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  bool Create(const std::vector<int>& choices);
  void Send();

  Ask ask_;
  std::vector<int> choices_;
  std::vector<HWND> choiceButtons_;
  HWND window_ = nullptr;
  HWND code_ = nullptr;
  HWND answer_ = nullptr;
  HFONT font_ = nullptr;
};
