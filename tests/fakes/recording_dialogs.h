#pragma once

#include <string>
#include <vector>

#include "platform/dialogs.h"

// Records every dialog with its caption.
class RecordingDialogs : public Dialogs {
 public:
  void ShowInformation(const std::string& text) override { shown.push_back("Information: " + text); }
  void ShowError(const std::string& text) override { shown.push_back("Error: " + text); }
  std::vector<std::string> shown;
};
