#pragma once

#include <windows.h>

#include <string>

// A topmost window with a short text in a large font, above every other window of the desktop. A
// closable notice has an OK button and closes on request; one that is not closable stays until
// the program hides it.
class NoticeWindow {
 public:
  explicit NoticeWindow(bool closable) : closable_(closable) {}
  ~NoticeWindow();
  NoticeWindow(const NoticeWindow&) = delete;
  NoticeWindow& operator=(const NoticeWindow&) = delete;

  // Shows the text (creating the window on first use) without taking the keyboard focus from the
  // user's work, with the button "Ask for more time..." when offerMoreTime; false when the window
  // could not be created.
  bool Show(const std::string& text, bool offerMoreTime = false);
  // Where the button "Ask for more time..." posts its message.
  void SetMoreTimeTarget(HWND target, UINT message) {
    moreTimeTarget_ = target;
    moreTimeMessage_ = message;
  }
  void Hide();
  HWND Handle() const { return window_; }

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  bool Create();

  bool closable_;
  HWND window_ = nullptr;
  HWND text_ = nullptr;
  HWND moreTime_ = nullptr;
  HFONT font_ = nullptr;
  HWND moreTimeTarget_ = nullptr;
  UINT moreTimeMessage_ = 0;
};
