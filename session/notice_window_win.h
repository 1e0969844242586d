#pragma once

#include <windows.h>

#include <string>

// A topmost window with a short text in the large size of the message font, above every other
// window of the desktop. A closable notice has an OK button and closes on request; one that is not
// closable stays until the program hides it.
class NoticeWindow {
 public:
  explicit NoticeWindow(bool closable) : closable_(closable) {}
  ~NoticeWindow();
  NoticeWindow(const NoticeWindow&) = delete;
  NoticeWindow& operator=(const NoticeWindow&) = delete;

  // Shows the UTF-8 text (creating the window on first use) without taking the keyboard focus
  // from the user's work, with the button "Ask for more time..." when offerMoreTime and "I need
  // to save my work" when offerGrace; false when the window could not be created.
  bool Show(const std::string& text, bool offerMoreTime = false, bool offerGrace = false);
  // Where the buttons post their messages: "Ask for more time..." and "I need to save my work".
  void SetButtonTarget(HWND target, UINT moreTimeMessage, UINT graceMessage) {
    target_ = target;
    moreTimeMessage_ = moreTimeMessage;
    graceMessage_ = graceMessage;
  }
  void Hide();
  HWND Handle() const { return window_; }

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  bool Create();
  // The fonts and the layout of the window's controls at dpi.
  void ApplyDpi(int dpi);

  bool closable_;
  HWND window_ = nullptr;
  HWND text_ = nullptr;
  HWND moreTime_ = nullptr;
  HWND grace_ = nullptr;
  HWND ok_ = nullptr;
  HFONT largeFont_ = nullptr;
  HFONT font_ = nullptr;
  HWND target_ = nullptr;
  UINT moreTimeMessage_ = 0;
  UINT graceMessage_ = 0;
};
