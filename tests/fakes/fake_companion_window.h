#pragma once

#include <string>
#include <vector>

#include "platform/companion_window.h"

// Records the titles asked for; a window "exists" when the test says so.
class FakeCompanionWindow : public CompanionWindow {
 public:
  bool CloseWindowTitled(const std::string& title) override {
    requests.push_back(title);
    return windowOpen;
  }
  std::vector<std::string> requests;
  bool windowOpen = false;
};
