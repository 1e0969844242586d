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
  // user's work; false when the window could not be created.
  bool Show(const std::string& text);
  void Hide();
  HWND Handle() const { return window_; }

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  bool Create();

  bool closable_;
  HWND window_ = nullptr;
  HWND text_ = nullptr;
  HFONT font_ = nullptr;
};
