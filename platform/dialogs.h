#pragma once

#include <string>

// Message dialogs with an OK button: the outcome of an install or uninstall run.
class Dialogs {
 public:
  virtual ~Dialogs() = default;
  virtual void ShowInformation(const std::string& text) = 0;
  virtual void ShowError(const std::string& text) = 0;
};
