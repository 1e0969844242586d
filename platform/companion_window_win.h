#pragma once

#include "platform/companion_window.h"

class WindowsCompanionWindow : public CompanionWindow {
 public:
  bool CloseWindowTitled(const std::string& title) override;
};
