#pragma once

#include "platform/dialogs.h"

// Message boxes with the captions "Information" and "Error".
class WindowsDialogs : public Dialogs {
 public:
  void ShowInformation(const std::string& text) override;
  void ShowError(const std::string& text) override;
};
